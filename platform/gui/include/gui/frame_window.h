#pragma once

// The main window: menu bar, tool bars, status bar and a client area of
// panes (views in static splitters). It routes commands to the active view
// first, then to itself, then to the application; it runs the command update
// handlers whenever a menu or pop-up opens, and for its bars on a short
// timer and after every command. It handles the framework's standard
// commands: Exit, the tool bar and status bar toggles, next and previous
// pane, and the keyboard lock indicators.
//
//   class CMainWindow : public gui::FrameWindow {
//     bool OnCreate() override;        // tool bar, status bar, timers
//     bool OnCreateClient() override;  // splitters and views
//   };
//   auto frame = std::make_unique<CMainWindow>();
//   if (!frame->LoadFrame(128)) ...;

#include <QSize>
#include <vector>

#include "gui/menu.h"
#include "gui/window.h"

class QMainWindow;
class QMenu;

namespace gui {

class ControlBar;
class StatusBar;
class ToolBar;
class View;

class FrameWindow : public Window {
 public:
  FrameWindow();
  ~FrameWindow() override;

  // Creates the window from the resources with id `resourceId`: its menu
  // (required), accelerators, icon and title (first part of the string).
  // Then OnCreate and OnCreateClient run; a false from either destroys the
  // window again and LoadFrame fails.
  bool LoadFrame(UINT resourceId);
  // Shows the window; the first time, the views get OnInitialUpdate once the
  // window has its size.
  void ShowWindow(int command) override;
  // The client area: the space between the bars.
  QRect GetClientRect() const override;

  QMainWindow* mainWindow() const;
  Menu GetMenu() const;

  View* GetActiveView() const { return activeView_; }
  void SetActiveView(View* view);
  const std::vector<View*>& views() const { return views_; }
  // The innermost open modal window, or this window when none is open.
  Window* GetLastActivePopup();

  // The status bar's message pane (the idle prompt when `text` is empty).
  void SetMessageText(const QString& text);
  void SetMessageText(UINT stringId);
  StatusBar* GetStatusBar() const;
  ToolBar* GetToolBar() const;
  void ShowControlBar(ControlBar* bar, bool show);

  // Runs the update handlers for the entries of `menu` (what happens when it
  // opens). Pop-up entries are updated through their first command, with
  // CmdUI::subMenu() set.
  void UpdateMenu(QMenu* menu);
  // Runs the update handlers of the bars' buttons and panes now.
  void UpdateControlBars();
  // Whether entries without any handler are greyed (default true).
  void setAutoMenuEnable(bool enable) { autoMenuEnable_ = enable; }

  bool OnCmdMsg(UINT id, int code, CmdUI* ui) override;
  bool OnCommand(WPARAM wParam, LPARAM lParam) override;

  // Called by views and bars as they come and go.
  void addView(View* view);
  void removeView(View* view);
  void addControlBar(ControlBar* bar);
  void removeControlBar(ControlBar* bar);

 protected:
  virtual bool OnCreate() { return true; }
  virtual bool OnCreateClient() { return true; }
  void PostNcDestroy() override;

  // Default handlers of the standard commands.
  void OnAppExit();
  void OnViewToolBar();
  void OnUpdateViewToolBar(CmdUI* ui);
  void OnViewStatusBar();
  void OnUpdateViewStatusBar(CmdUI* ui);
  void OnNextPane();
  void OnPrevPane();
  void OnUpdatePane(CmdUI* ui);
  void OnUpdateKeyIndicator(CmdUI* ui);

 private:
  void createMenuBar(const MenuResource& menu);
  void createAccelerators(UINT resourceId);
  void activatePane(int step);

  std::vector<View*> views_;
  View* activeView_ = nullptr;
  std::vector<ControlBar*> controlBars_;
  bool autoMenuEnable_ = true;
  bool initialUpdateDone_ = false;
  QRect clientRectBeforeShow_;
};

}  // namespace gui
