#pragma once

// Quillon's one window: menu, tool bar, a status bar with the server's
// state, and three panes in static splitters: the public-group pane upper
// left, the private-group pane upper right and the result view below. It
// owns the connection to the server (session and shutdown connection) and
// the record of the server-level commands, polls the server's state every
// two seconds, enables the menus by the interfaces the server offers, and
// keeps its title in step with the connection.

#include <string>

#include "app/server_status_bar.h"
#include "gui/frame_window.h"
#include "gui/splitter_window.h"
#include "gui/tool_bar.h"
#include "result/function_result.h"
#include "session/server_session.h"
#include "session/shutdown_connection.h"

class CFunctionResultView;
class CGroupView;

class CMainWindow : public gui::FrameWindow {
 public:
  // The window timer that polls the server's state, and its period.
  static constexpr UINT_PTR kStatusTimer = 5;
  static constexpr UINT kStatusPeriodMs = 2000;
  // Height of the result view below the group panes, in pixels.
  static constexpr int kResultViewHeight = 250;

  CMainWindow();
  ~CMainWindow() override;

  // Reads the server's state into the status bar; disconnects and tells the
  // user when the server does not answer.
  void PollServerStatus();

  CServerSession& session() { return session_; }
  const CServerSession& session() const { return session_; }
  FunctionResult& functionResult() { return functionResult_; }
  CFunctionResultView* resultView() const { return resultView_; }
  CGroupView* publicGroupView() const { return publicGroups_; }
  CGroupView* privateGroupView() const { return privateGroups_; }
  CServerStatusBar& serverStatusBar() { return statusBar_; }
  // Rebuilds the group pane of a scope (CGroupView::kPublicScope or
  // kPrivateScope) after a command changed the server's groups.
  void RefreshGroupPane(int scope);
  const CShutdownConnection& shutdownConnection() const { return shutdownConnection_; }

 protected:
  bool OnCreate() override;
  bool OnCreateClient() override;
  void OnTimer(UINT_PTR id) override;
  void OnClose() override;

 private:
  // Session commands (main_window_session.cpp).
  void OnConnect();
  void OnDisconnect();
  void OnRefreshPublicGroup();
  // The name under which the window title shows a connection.
  static std::string ConnectionName(const std::string& machine, const std::string& progId);
  void SendClientName();

  // The server-level commands of the interface pop-ups
  // (main_window_commands.cpp).
  void mapServerCommands();
  void mapItemPropertiesListing();

  // Enabling (main_window.cpp).
  void OnUpdateConnect(gui::CmdUI* ui);
  void OnUpdateConnected(gui::CmdUI* ui);
  void mapInterfacePopup(UINT firstCommand, bool (*offered)(const CServerSession&));

  // A server's shutdown request (main_window_shutdown.cpp).
  gui::LRESULT OnServerShutdown(gui::WPARAM wParam, gui::LPARAM lParam);
  gui::LRESULT OnServerShutdownNotice(gui::WPARAM wParam, gui::LPARAM lParam);

  void SetTitle(const std::string& connectionName);

  gui::SplitterWindow outerSplitter_;
  gui::SplitterWindow innerSplitter_;
  gui::ToolBar toolBar_;
  CServerStatusBar statusBar_;
  CServerSession session_;
  // The panes belong to their splitters.
  CFunctionResultView* resultView_ = nullptr;
  CGroupView* publicGroups_ = nullptr;
  CGroupView* privateGroups_ = nullptr;
  CShutdownConnection shutdownConnection_;
  FunctionResult functionResult_;
};
