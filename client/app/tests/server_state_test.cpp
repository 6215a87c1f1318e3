// The server-state pane: its text and lamp for each state, no repainting
// while the state stays, and the automatic disconnect when a poll fails.

#include <QEvent>
#include <QStatusBar>
#include <QWidget>

#include "gui/resources.h"
#include "quillon_fixture.h"
#include "resources/resource_ids.h"
#include "workspace/group_view.h"

namespace quillon::testing {
namespace {

using gui::testing::modalScript;

TEST(ServerStateLook, NamesTheStandardStatesAndCallsEveryOtherOneNotConnected) {
  struct Case {
    int state;
    const char* text;
    UINT lamp;
  };
  const Case cases[] = {
      {CServerStatusBar::kNotConnected, "Not Connected", IDB_LAMP_OFF},
      {0, "Not Connected", IDB_LAMP_OFF},
      {OPC_STATUS_RUNNING, "OPC_STATUS_RUNNING", IDB_LAMP_RUNNING},
      {OPC_STATUS_FAILED, "OPC_STATUS_FAILED", IDB_LAMP_FAILED},
      {OPC_STATUS_NOCONFIG, "OPC_STATUS_NOCONFIG", IDB_LAMP_ATTENTION},
      {OPC_STATUS_SUSPENDED, "OPC_STATUS_SUSPENDED", IDB_LAMP_ATTENTION},
      {OPC_STATUS_TEST, "OPC_STATUS_TEST", IDB_LAMP_ATTENTION},
      {6, "Not Connected", IDB_LAMP_OFF},
      {0x7FFFFFFF, "Not Connected", IDB_LAMP_OFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    EXPECT_STREQ(CServerStatusBar::LookOf(c.state).text, c.text);
    EXPECT_EQ(CServerStatusBar::LookOf(c.state).bitmapId, c.lamp);
  }
}

// Counts the paint events of one widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

class ServerStateTest : public QuillonTest {
 protected:
  // The widget that shows the server-state pane.
  QWidget* statePane() {
    CServerStatusBar& bar = frame->serverStatusBar();
    const QRect rect = bar.GetItemRect(bar.serverStatePane());
    return bar.statusBar()->childAt(rect.center());
  }
  void poll(int times) {
    for (int i = 0; i < times; ++i) frame->SendMessage(gui::WM_TIMER, CMainWindow::kStatusTimer);
  }
};

TEST_F(ServerStateTest, ThePaneIsWideEnoughForTheLongestStateAndTheLamp) {
  start([](gui::testing::DialogDriver& d) { d.press(gui::IDCANCEL); });
  CServerStatusBar& bar = frame->serverStatusBar();
  EXPECT_EQ(bar.GetItemID(bar.serverStatePane()), ID_INDICATOR_SERVER_STATE);
  UINT id = 0;
  UINT style = 0;
  int width = 0;
  bar.GetPaneInfo(bar.serverStatePane(), id, style, width);
  EXPECT_TRUE(style & gui::SBPS_OWNERDRAW);
  const int textWidth = bar.statusBar()->fontMetrics().horizontalAdvance("OPC_STATUS_SUSPENDED");
  EXPECT_EQ(width, textWidth + bar.lampWidth() + 4);
  EXPECT_EQ(bar.lampWidth(), 14);
  EXPECT_TRUE(frame->hasTimer(CMainWindow::kStatusTimer));
}

TEST_F(ServerStateTest, ThePaneDrawsTextAndLampAtItsTopWithTheLampAtItsRightEdge) {
  start([](gui::testing::DialogDriver& d) { d.press(gui::IDCANCEL); });
  // In a bar three lines high, text or lamp centred in the pane would sit a
  // whole line below its top.
  QStatusBar* statusBar = frame->serverStatusBar().statusBar();
  const int lineHeight = statusBar->fontMetrics().height();
  statusBar->setFixedHeight(3 * lineHeight);
  const QImage notConnected = statePaneImage();
  ASSERT_GE(notConnected.height(), 2 * lineHeight);
  const int states[] = {OPC_STATUS_RUNNING, OPC_STATUS_FAILED, OPC_STATUS_NOCONFIG, OPC_STATUS_SUSPENDED,
                        OPC_STATUS_TEST, 0, 6, CServerStatusBar::kNotConnected};
  for (int state : states) {
    SCOPED_TRACE(state);
    frame->serverStatusBar().SetServerState(state);
    const QImage pane = statePaneImage();
    // Every opaque pixel of the lamp, 4 pixels from the pane's right edge
    // and level with its top.
    const QImage lamp = gui::LoadBitmap(CServerStatusBar::LookOf(state).bitmapId).toImage();
    const int lampLeft = pane.width() - 4 - 14;
    int misplaced = 0;
    for (int y = 0; y < lamp.height(); ++y) {
      for (int x = 0; x < lamp.width(); ++x) {
        if (lamp.pixelColor(x, y).alpha() == 255 && pane.pixelColor(lampLeft + x, y) != lamp.pixelColor(x, y)) {
          ++misplaced;
        }
      }
    }
    EXPECT_EQ(misplaced, 0);
    // The text's ink lies within the first line; below it only background.
    const QColor background = pane.pixelColor(0, pane.height() - 1);
    int lowestInk = -1;
    for (int y = 0; y < pane.height(); ++y) {
      for (int x = 0; x < lampLeft; ++x) {
        if (pane.pixelColor(x, y) != background) lowestInk = y;
      }
    }
    EXPECT_GE(lowestInk, 0);
    EXPECT_LT(lowestInk, lineHeight);
    // Each state shows its own text; the ones the client does not know look as not connected.
    const bool known = state >= 1 && state <= 5;
    EXPECT_EQ(pane == notConnected, !known);
  }
}

TEST_F(ServerStateTest, AnUnchangedStateIsNotRepainted) {
  startConnected();
  QWidget* pane = statePane();
  ASSERT_NE(pane, nullptr);
  gui::testing::pumpEvents();
  PaintCounter counter(pane);
  poll(3);
  gui::testing::pumpEvents();
  EXPECT_EQ(counter.paints, 0);
  EXPECT_EQ(frame->serverStatusBar().GetServerState(), OPC_STATUS_RUNNING);

  frame->serverStatusBar().SetServerState(OPC_STATUS_SUSPENDED);
  EXPECT_TRUE(gui::testing::pumpUntil([&] { return counter.paints > 0; }));
}

TEST_F(ServerStateTest, AFailedPollDisconnectsAndThenTellsTheUser) {
  // The server's status requests fail from the fifth on; connecting made the first.
  startConnected("Pelkor.DataSample.FailingStatus");
  poll(3);
  EXPECT_EQ(frame->serverStatusBar().GetServerState(), OPC_STATUS_RUNNING);
  EXPECT_TRUE(modalScript().messageBoxes().empty());

  modalScript().expectMessageBox(gui::IDOK, "Client/Server session terminated :\nE_FAIL\nUnspecified error");
  poll(1);
  ASSERT_EQ(modalScript().messageBoxes().size(), 1u);
  EXPECT_EQ(modalScript().messageBoxes()[0].buttons(), gui::MB_OK);
  EXPECT_EQ(modalScript().messageBoxes()[0].icon(), 0u);
  EXPECT_EQ(frame->session().GetServer(), nullptr);
  EXPECT_EQ(frame->serverStatusBar().GetServerState(), CServerStatusBar::kNotConnected);
  EXPECT_EQ(frame->GetWindowText(), "Quillon");
  EXPECT_TRUE(entries(frame->publicGroupView()).isEmpty());

  // Later polls find nothing to ask and say nothing.
  poll(2);
  EXPECT_EQ(modalScript().messageBoxes().size(), 1u);
}

TEST_F(ServerStateTest, ThePollWaitsWhileADialogIsOpen) {
  // The server's status requests fail from the fifth on; connecting made the first.
  startConnected("Pelkor.DataSample.FailingStatus");
  modalScript().expectDialog(IDD_ABOUTBOX, [this](gui::testing::DialogDriver& d) {
    poll(5);
    EXPECT_NE(frame->session().GetServer(), nullptr);
    d.press(gui::IDOK);
  });
  ASSERT_TRUE(gui::testing::triggerAction(*frame, gui::ID_APP_ABOUT));
  // Requests two to four still succeed: none was made while the dialog was open.
  poll(3);
  EXPECT_NE(frame->session().GetServer(), nullptr);
  EXPECT_TRUE(modalScript().messageBoxes().empty());

  modalScript().expectMessageBox(gui::IDOK);
  poll(1);
  EXPECT_EQ(frame->session().GetServer(), nullptr);
}

}  // namespace
}  // namespace quillon::testing
