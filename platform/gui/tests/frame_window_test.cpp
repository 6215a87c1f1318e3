// The frame window: menu bar from the resource, command update rules
// (pop-up entries greyed by position), routing, accelerators, the tool bar's
// tips and prompts, the status bar's panes, splitters, views and closing.

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "gui/application.h"
#include "gui/dialog_units.h"
#include "gui/testing/testing.h"
#include "test_frame.h"

namespace gui {
namespace {

using test::CountingForm;
using test::LampStatusBar;
using test::TestFrame;
using testing::menuCommandState;
using testing::popupEntryState;
using testing::toolBarButtonState;
using testing::triggerAction;

class TestApplication : public Application {
 public:
  int abouts = 0;
  TestApplication() {
    mapCommand(ID_APP_ABOUT, [this] { ++abouts; });
  }
};

class FrameWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::registerTestResources();
    auto owned = std::make_unique<TestFrame>();
    frame = owned.get();
    app.setMainWindow(std::move(owned));
    ASSERT_TRUE(frame->LoadFrame(test::kFrameId));
  }
  void show() {
    frame->ShowWindow(SW_SHOWNORMAL);
    testing::pumpEvents();
  }

  TestApplication app;
  TestFrame* frame = nullptr;
};

QStringList textsOf(const QList<QAction*>& actions) {
  QStringList texts;
  for (const QAction* action : actions) texts << (action->isSeparator() ? QString("-") : action->text());
  return texts;
}

TEST_F(FrameWindowTest, BuildsTheMenuBarTitleAndIconFromTheResources) {
  EXPECT_EQ(frame->GetWindowText(), "Test Frame");
  QMenuBar* bar = frame->mainWindow()->menuBar();
  EXPECT_EQ(textsOf(bar->actions()), QStringList({"E&xit", "&View", "&Session", "&Help"}));
  Menu session = frame->GetMenu().GetSubMenu(2);
  EXPECT_EQ(textsOf(session.widget()->actions()),
            QStringList({"&Connect", "&Disconnect", "-", "Interface &A", "Interface &B", "-", "&Unhandled"}));
  EXPECT_EQ(session.GetMenuItemID(0), test::ID_TEST_CONNECT);
  EXPECT_EQ(session.GetMenuItemID(2), 0u);            // separator
  EXPECT_EQ(session.GetMenuItemID(3), kMenuNotFound);  // pop-up
  // The pop-ups marked greyed in the resource start greyed.
  EXPECT_EQ(session.GetMenuState(3, MF_BYPOSITION), MF_GRAYED | MF_POPUP);
  EXPECT_EQ(session.GetMenuState(4, MF_BYPOSITION), MF_GRAYED | MF_POPUP);
}

TEST_F(FrameWindowTest, UpdateHandlersDecideWhatAMenuOffersWhenItOpens) {
  struct Case {
    bool connected;
    bool connectEnabled;
    bool disconnectEnabled;
  };
  for (const Case& c : {Case{false, true, false}, Case{true, false, true}}) {
    frame->connected = c.connected;
    EXPECT_EQ(menuCommandState(*frame, test::ID_TEST_CONNECT).enabled, c.connectEnabled);
    EXPECT_EQ(menuCommandState(*frame, test::ID_TEST_DISCONNECT).enabled, c.disconnectEnabled);
    EXPECT_EQ(toolBarButtonState(*frame, test::ID_TEST_CONNECT).enabled, c.connectEnabled);
    EXPECT_EQ(toolBarButtonState(*frame, test::ID_TEST_DISCONNECT).enabled, c.disconnectEnabled);
  }
  // No handler anywhere: greyed. Standard commands are handled by the frame.
  EXPECT_FALSE(menuCommandState(*frame, test::ID_TEST_UNHANDLED).enabled);
  EXPECT_TRUE(menuCommandState(*frame, ID_APP_EXIT).enabled);
  EXPECT_TRUE(menuCommandState(*frame, ID_VIEW_TOOLBAR).checked);
  EXPECT_TRUE(menuCommandState(*frame, ID_APP_ABOUT).enabled);  // the application handles it
}

TEST_F(FrameWindowTest, PopupEntriesAreGreyedByPositionThroughTheirFirstCommand) {
  struct Case {
    bool hasA;
    bool hasB;
  };
  for (const Case& c : {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
    frame->hasA = c.hasA;
    frame->hasB = c.hasB;
    EXPECT_EQ(popupEntryState(*frame, {"&Session", "Interface &A"}).enabled, c.hasA);
    EXPECT_EQ(popupEntryState(*frame, {"&Session", "Interface &B"}).enabled, c.hasB);
    // Reachable commands inside are enabled; unreachable ones cannot be chosen.
    EXPECT_EQ(triggerAction(*frame, test::ID_TEST_A2), c.hasA);
  }
  EXPECT_EQ(frame->log, (std::vector<std::string>{"interface 33011", "interface 33011"}));
}

TEST_F(FrameWindowTest, DisabledCommandsDoNotRunHoweverTheyArrive) {
  EXPECT_FALSE(triggerAction(*frame, test::ID_TEST_DISCONNECT));
  frame->PostMessage(WM_COMMAND, test::ID_TEST_DISCONNECT);
  frame->SendMessage(WM_COMMAND, test::ID_TEST_DISCONNECT);
  testing::pumpEvents();
  EXPECT_TRUE(frame->log.empty());

  EXPECT_TRUE(triggerAction(*frame, "Connect"));  // found by text without the mnemonic
  frame->PostMessage(WM_COMMAND, test::ID_TEST_DISCONNECT);
  testing::pumpEvents();
  EXPECT_EQ(frame->log, (std::vector<std::string>{"connect", "disconnect"}));
}

TEST_F(FrameWindowTest, CommandsGoToTheActiveViewThenTheFrameThenTheApplication) {
  show();
  EXPECT_EQ(frame->GetActiveView(), frame->left);
  frame->SendMessage(WM_COMMAND, test::ID_TEST_REFRESH);
  frame->SendMessage(WM_COMMAND, ID_NEXT_PANE);
  EXPECT_EQ(frame->GetActiveView(), frame->right);
  frame->SendMessage(WM_COMMAND, test::ID_TEST_REFRESH);
  // The form view does not handle it, and neither do the frame or the application.
  frame->SendMessage(WM_COMMAND, ID_NEXT_PANE);
  EXPECT_EQ(frame->GetActiveView(), frame->form);
  EXPECT_FALSE(toolBarButtonState(*frame, test::ID_TEST_REFRESH).enabled);
  frame->SendMessage(WM_COMMAND, ID_PREV_PANE);
  frame->SendMessage(WM_COMMAND, ID_PREV_PANE);
  EXPECT_EQ(frame->GetActiveView(), frame->left);
  EXPECT_TRUE(toolBarButtonState(*frame, test::ID_TEST_REFRESH).enabled);

  EXPECT_TRUE(triggerAction(*frame, ID_APP_ABOUT));
  EXPECT_EQ(app.abouts, 1);
  EXPECT_EQ(frame->log, (std::vector<std::string>{"left refresh", "right refresh"}));
}

TEST_F(FrameWindowTest, AcceleratorsRunTheirCommands) {
  show();
  frame->widget()->activateWindow();
  testing::pumpUntil([&] { return QApplication::activeWindow() == frame->widget(); });
  QTest::keyClick(frame->widget(), Qt::Key_F6);
  EXPECT_EQ(frame->GetActiveView(), frame->right);
  QTest::keyClick(frame->widget(), Qt::Key_F6, Qt::ShiftModifier);
  EXPECT_EQ(frame->GetActiveView(), frame->left);
  QTest::keyClick(frame->widget(), Qt::Key_K, Qt::ControlModifier);
  QTest::keyClick(frame->widget(), Qt::Key_K, Qt::ControlModifier);  // disabled once connected
  EXPECT_EQ(frame->log, (std::vector<std::string>{"connect"}));
}

TEST_F(FrameWindowTest, ToolBarShowsTipsAndPromptsFromTheStringTable) {
  QToolBar* bar = frame->toolBar.toolBar();
  EXPECT_EQ(bar->windowTitle(), "Session Handling");
  EXPECT_EQ(bar->iconSize(), QSize(16, 15));
  ASSERT_EQ(frame->toolBar.GetCount(), 7);
  EXPECT_EQ(frame->toolBar.GetItemID(2), ID_SEPARATOR);
  QAction* connect = frame->toolBar.buttonAction(test::ID_TEST_CONNECT);
  EXPECT_EQ(connect->toolTip(), "Connect");
  EXPECT_EQ(frame->toolBar.buttonAction(ID_APP_EXIT)->toolTip(), "Exit");
  EXPECT_FALSE(connect->icon().isNull());

  EXPECT_EQ(testing::statusMessage(*frame), "Ready");
  EXPECT_EQ(testing::hoverCommand(*frame, test::ID_TEST_CONNECT), "Connects to the test server");
  EXPECT_EQ(testing::hoverCommand(*frame, test::ID_TEST_DISCONNECT), "Disconnects from the test server");
  // Leaving the entry brings the idle prompt back.
  frame->SetMessageText(QString());
  EXPECT_EQ(testing::statusMessage(*frame), "Ready");

  // Floating, the bar shows its window text as caption; its buttons stay as they were.
  QLabel* caption = bar->findChild<QLabel*>();
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->text(), "Session Handling");
  EXPECT_TRUE(caption->isHidden());
  bar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);  // as the main window floats a bar
  emit bar->topLevelChanged(true);
  bar->show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(caption->isVisibleTo(bar));
  EXPECT_EQ(frame->toolBar.GetCount(), 7);
  frame->mainWindow()->addToolBar(bar);  // docked again
  emit bar->topLevelChanged(false);
  show();
  QCoreApplication::processEvents();
  EXPECT_FALSE(caption->isVisibleTo(bar));

  EXPECT_TRUE(triggerAction(*frame, ID_VIEW_TOOLBAR));
  EXPECT_TRUE(bar->isHidden());
  EXPECT_FALSE(menuCommandState(*frame, ID_VIEW_TOOLBAR).checked);
}

TEST_F(FrameWindowTest, StatusBarPanesTakeTheirStringsWidthAndDrawTheOwnerDrawnOne) {
  LampStatusBar& bar = frame->statusBar;
  ASSERT_EQ(bar.GetCount(), 5);
  EXPECT_EQ(bar.CommandToIndex(test::ID_INDICATOR_STATE), 1);
  UINT id;
  UINT style;
  int width;
  bar.GetPaneInfo(1, id, style, width);
  const int textWidth = QFontMetrics(bar.statusBar()->font()).horizontalAdvance("STATE_SUSPENDED");
  EXPECT_EQ(width, textWidth + 18);
  EXPECT_TRUE(style & SBPS_OWNERDRAW);

  show();
  bar.drawn.clear();
  bar.statusBar()->grab();  // paints every pane
  ASSERT_FALSE(bar.drawn.empty());
  EXPECT_EQ(bar.drawn.front().index, 1);
  EXPECT_EQ(bar.drawn.front().rect.width(), width);
  EXPECT_EQ(bar.drawn.front().rect, bar.GetItemRect(1).translated(-bar.GetItemRect(1).topLeft() +
                                                                   bar.drawn.front().rect.topLeft()));
  // The lock indicators show their text only while the lock is on.
  frame->UpdateControlBars();
  EXPECT_TRUE(bar.GetPaneStyle(2) & SBPS_DISABLED);
  EXPECT_EQ(bar.GetPaneText(2), "CAP");
}

TEST_F(FrameWindowTest, SplittersStartAtTheirIdealSizesAndViewsGetOneInitialUpdate) {
  const QRect client = frame->clientRectAtCreation;
  EXPECT_GT(client.width(), 0);
  EXPECT_LT(client.height(), frame->mainWindow()->height());  // the bars take their share
  show();
  EXPECT_EQ(frame->GetClientRect().size(), client.size());
  int current;
  int min;
  frame->outer.GetRowInfo(0, current, min);
  EXPECT_EQ(current, client.height() - 250);
  frame->inner.GetColumnInfo(0, current, min);
  EXPECT_EQ(current, client.width() / 2);
  EXPECT_EQ(frame->outer.GetPane(0, 0), &frame->inner);
  EXPECT_EQ(frame->inner.GetPane(0, 1), frame->right);

  // The form view knows its size when it is first set up.
  EXPECT_EQ(frame->form->initialUpdates, 1);
  EXPECT_EQ(frame->left->initialUpdates, 1);
  EXPECT_EQ(frame->form->initialSize.height(), 250 - frame->outer.splitter()->handleWidth());
  frame->ShowWindow(SW_SHOWNORMAL);
  EXPECT_EQ(frame->form->initialUpdates, 1);

  // Made larger, the last pane takes the growth; the form follows its pane.
  frame->mainWindow()->resize(frame->mainWindow()->size() + QSize(100, 60));
  testing::pumpEvents();
  frame->outer.GetRowInfo(0, current, min);
  EXPECT_EQ(current, client.height() - 250);
  EXPECT_EQ(frame->form->lastSize.height(), 250 - frame->outer.splitter()->handleWidth() + 60);
}

TEST_F(FrameWindowTest, FormViewKeepsItsTemplateLayoutAndSizeWhenThePaneIsSmaller) {
  show();
  CountingForm* form = frame->form;
  const DialogUnits units(DialogUnits::templateFont({}));
  EXPECT_EQ(form->GetDlgItem(2004)->geometry(), units.toPixels(DialogRect{100, 7, 231, 12}));
  EXPECT_EQ(form->templateSize(), units.toPixels(356, 112));
  frame->outer.SetRowInfo(0, frame->GetClientRect().height() - 60, 0);
  frame->outer.RecalcLayout();
  testing::pumpEvents();
  EXPECT_LT(form->lastSize.height(), form->templateSize().height());
  EXPECT_GE(form->GetDlgItem(2002)->parentWidget()->height(), form->templateSize().height());
}

TEST_F(FrameWindowTest, ViewsAnswerTheToolTipsOfTheirControls) {
  show();
  EXPECT_EQ(testing::controlToolTip(*frame->form, 2026), "");
  frame->form->detail = "The parameter is incorrect.";
  EXPECT_EQ(testing::controlToolTip(*frame->form, 2026), "The parameter is incorrect.");
  EXPECT_EQ(testing::controlToolTip(*frame->form, 2004), "");  // only the button has one
}

TEST_F(FrameWindowTest, ClosingDestroysThePanesThenTheFrameObject) {
  show();
  EXPECT_TRUE(triggerAction(*frame, ID_APP_EXIT));
  EXPECT_FALSE(frame->IsWindow());
  EXPECT_EQ(frame->log, (std::vector<std::string>{"close", "left destroyed", "right destroyed", "form destroyed"}));
  EXPECT_EQ(app.mainWindow(), nullptr);
  testing::pumpEvents();  // the object goes after the current message
}

}  // namespace
}  // namespace gui
