#pragma once

// A frame window for the layer's tests: tool bar, a status bar with an
// owner-drawn pane, two views side by side over a form view, and command
// handlers whose enabling depends on a "connected" flag and on which of two
// optional interfaces is offered.

#include <QPainter>
#include <vector>

#include "gui/cmd_ui.h"
#include "gui/form_view.h"
#include "gui/frame_window.h"
#include "gui/splitter_window.h"
#include "gui/status_bar.h"
#include "gui/tool_bar.h"
#include "gui/tree_view.h"
#include "test_resources.h"

namespace gui::test {

class LampStatusBar : public StatusBar {
 public:
  struct Drawn {
    int index;
    QRect rect;
  };
  std::vector<Drawn> drawn;

 protected:
  void DrawItem(QPainter& painter, const QRect& rect, int index) override {
    drawn.push_back({index, rect});
    painter.drawText(rect, Qt::AlignVCenter, "Not Connected");
  }
};

class CountingView : public TreeView {
 public:
  explicit CountingView(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {
    mapCommand(ID_TEST_REFRESH, [this] { log_->push_back(name_ + " refresh"); });
  }
  int initialUpdates = 0;
  void OnInitialUpdate() override { ++initialUpdates; }
  void OnDestroy() override {
    log_->push_back(name_ + " destroyed");
    TreeView::OnDestroy();
  }

 private:
  std::vector<std::string>* log_;
  std::string name_;
};

class CountingForm : public FormView {
 public:
  explicit CountingForm(std::vector<std::string>* log) : FormView(kFormTemplate), log_(log) {}
  int initialUpdates = 0;
  QSize initialSize;
  QSize lastSize;
  QString detail;  // the details button's tool tip; empty: none
  void OnInitialUpdate() override {
    ++initialUpdates;
    initialSize = GetClientRect().size();
    EnableToolTips();
    FormView::OnInitialUpdate();
  }
  bool OnToolTipText(int controlId, QString& text) override {
    if (controlId != 2026 || detail.isEmpty()) return false;
    text = detail;
    return true;
  }
  void OnSize(int cx, int cy) override { lastSize = QSize(cx, cy); }
  void OnDestroy() override {
    log_->push_back("form destroyed");
    FormView::OnDestroy();
  }

 private:
  std::vector<std::string>* log_;
};

class TestFrame : public FrameWindow {
 public:
  bool connected = false;
  bool hasA = false;
  bool hasB = false;
  bool clientRectKnownAtCreation = false;
  QRect clientRectAtCreation;
  std::vector<std::string> log;
  ToolBar toolBar;
  LampStatusBar statusBar;
  SplitterWindow outer;
  SplitterWindow inner;
  CountingView* left = nullptr;
  CountingView* right = nullptr;
  CountingForm* form = nullptr;

  TestFrame() {
    mapCommand(ID_TEST_CONNECT, [this] { connected = true; log.push_back("connect"); });
    mapUpdateCommand(ID_TEST_CONNECT, [this](CmdUI* ui) { ui->Enable(!connected); });
    mapCommand(ID_TEST_DISCONNECT, [this] { connected = false; log.push_back("disconnect"); });
    mapUpdateCommand(ID_TEST_DISCONNECT, [this](CmdUI* ui) { ui->Enable(connected); });
    mapCommandRange(ID_TEST_A1, ID_TEST_B1, [this](UINT id) { log.push_back("interface " + std::to_string(id)); });
    // The interface pop-ups: greyed by position, only for the pop-up entry.
    mapUpdateCommand(ID_TEST_A1, [this](CmdUI* ui) { enablePopup(ui, hasA); });
    mapUpdateCommand(ID_TEST_B1, [this](CmdUI* ui) { enablePopup(ui, hasB); });
  }

 protected:
  bool OnCreate() override {
    if (!toolBar.Create(this, kFrameId) || !statusBar.Create(this)) return false;
    toolBar.SetWindowText("Session Handling");
    if (!statusBar.SetIndicators({ID_SEPARATOR, ID_INDICATOR_STATE, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                  ID_INDICATOR_SCRL})) {
      return false;
    }
    UINT id;
    UINT style;
    int width;
    statusBar.GetPaneInfo(1, id, style, width);
    statusBar.SetPaneInfo(1, id, SBPS_OWNERDRAW | style, width + 14 + 4);
    return true;
  }

  bool OnCreateClient() override {
    clientRectAtCreation = GetClientRect();
    if (!outer.CreateStatic(this, 2, 1) || !inner.CreateStatic(&outer, 1, 2, 0, 0)) return false;
    left = inner.CreateView<CountingView>(0, 0, QSize(clientRectAtCreation.width() / 2, 0), &log, "left");
    right = inner.CreateView<CountingView>(0, 1, QSize(0, 0), &log, "right");
    form = outer.CreateView<CountingForm>(1, 0, QSize(0, 0), &log);
    if (left == nullptr || right == nullptr || form == nullptr) return false;
    outer.SetRowInfo(0, clientRectAtCreation.height() - 250, 0);
    SetActiveView(left);
    return true;
  }

  void OnClose() override {
    log.push_back("close");
    FrameWindow::OnClose();
  }

 private:
  static void enablePopup(CmdUI* ui, bool enable) {
    if (ui->subMenu() == nullptr) return;
    ui->Enable(false);  // ignored for a pop-up entry, as it must be
    ui->menu()->EnableMenuItem(static_cast<UINT>(ui->index()), MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
  }
};

}  // namespace gui::test
