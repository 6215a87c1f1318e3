#pragma once

// The demo's main window: a frame with menu, tool bar, a status bar whose
// second pane shows a lamp, two trees side by side over a form view.

#include "gui/form_view.h"
#include "gui/frame_window.h"
#include "gui/splitter_window.h"
#include "gui/status_bar.h"
#include "gui/tool_bar.h"
#include "gui/tree_view.h"

namespace demo {

class LampStatusBar : public gui::StatusBar {
 public:
  void SetState(int state);

 protected:
  void DrawItem(QPainter& painter, const QRect& rect, int index) override;

 private:
  int state_ = -1;
};

class GroupTreeView : public gui::TreeView {
 public:
  explicit GroupTreeView(QString rootText) : rootText_(std::move(rootText)) {}
  void OnInitialUpdate() override;
  void Fill(bool connected);

 private:
  QString rootText_;
};

class ResultFormView : public gui::FormView {
 public:
  ResultFormView();
  void OnInitialUpdate() override;
  void Show(const QString& function, const QString& code, const QStringList& lines);
};

class DemoFrame : public gui::FrameWindow {
 public:
  DemoFrame();

 protected:
  bool OnCreate() override;
  bool OnCreateClient() override;
  void OnTimer(UINT_PTR id) override;
  void OnClose() override;

 private:
  void OnConnect();
  void OnDisconnect();
  void OnUpdateConnect(gui::CmdUI* ui);
  void OnUpdateConnected(gui::CmdUI* ui);
  void OnUpdateStatusPopup(gui::CmdUI* ui);

  gui::ToolBar toolBar_;
  LampStatusBar statusBar_;
  gui::SplitterWindow outer_;
  gui::SplitterWindow inner_;
  GroupTreeView* publicGroups_ = nullptr;
  GroupTreeView* privateGroups_ = nullptr;
  ResultFormView* result_ = nullptr;
  bool connected_ = false;
  int polls_ = 0;
};

}  // namespace demo
