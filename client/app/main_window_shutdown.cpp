// A server's request to disconnect, on the user-interface thread: every
// open dialog is cancelled, the client disconnects, and only then does the
// user see the notice, so no dialog is left that refers to the server.

#include <cstdlib>
#include <string>

#include "app/main_window.h"
#include "gui/message_box.h"
#include "resources/resource_ids.h"
#include "session/server_messages.h"

gui::LRESULT CMainWindow::OnServerShutdown(gui::WPARAM wParam, gui::LPARAM lParam) {
  gui::Window* popup = GetLastActivePopup();
  popup->SetForegroundWindow();
  // Innermost first: cancelling a dialog makes the one below it the last
  // active pop-up.
  while (popup != this) {
    popup->SendMessage(gui::WM_COMMAND, gui::MakeCommandParam(gui::IDCANCEL), 0);
    gui::Window* next = GetLastActivePopup();
    // A window that does not close on Cancel would be asked forever.
    if (next == popup) break;
    popup = next;
  }
  PostMessage(gui::WM_COMMAND, gui::MakeCommandParam(quillon::ID_DISCONNECT), 0);
  PostMessage(WM_SERVER_SHUTDOWN_NOTICE, wParam, lParam);
  return 0;
}

gui::LRESULT CMainWindow::OnServerShutdownNotice(gui::WPARAM wParam, gui::LPARAM lParam) {
  // The disconnect posted with the request runs first; until it has, the
  // notice waits behind it.
  if (session_.GetServer() != nullptr) {
    PostMessage(WM_SERVER_SHUTDOWN_NOTICE, wParam, lParam);
    return 0;
  }
  std::string text = "The server requested that you disconnect.";
  if (auto* reason = reinterpret_cast<char*>(lParam)) {
    text += "\nReason: ";
    text += reason;
    std::free(reason);
  }
  gui::MessageBox(this, QString::fromUtf8(text.c_str()), QString(), gui::MB_ICONINFORMATION | gui::MB_OK);
  return 0;
}
