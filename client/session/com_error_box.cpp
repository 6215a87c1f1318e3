// The warning box with which the session reports a failed step of
// connecting: the step's text and, when the system knows the code, its
// message.

#include <string>

#include "gui/application.h"
#include "gui/message_box.h"
#include "gui/window.h"
#include "session/server_session.h"
#include "win/message.h"

namespace {

// The system's message for the code as the system delivers it, closing line
// break included, or empty when there is none.
std::string systemMessage(HRESULT code) {
  LPSTR message = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT), reinterpret_cast<LPSTR>(&message),
      0, nullptr);
  if (length == 0 || message == nullptr) return {};
  std::string text(message, length);
  LocalFree(message);
  return text;
}

}  // namespace

void CServerConnection::ShowComError(LPCSTR text, HRESULT code) const {
  std::string message = text != nullptr ? text : "";
  const std::string system = systemMessage(code);
  if (!system.empty()) message += "\n\nError : " + system;
  // The box belongs to the window the user is working in and carries its title.
  gui::Window* active = gui::GetActiveWindow();
  const QString caption = active != nullptr ? active->GetWindowText() : QString();
  gui::MessageBox(active, QString::fromUtf8(message.c_str()), caption, gui::MB_ICONWARNING | gui::MB_OK);
}
