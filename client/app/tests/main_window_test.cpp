// Quillon's main window as a user meets it: start-up with the connect
// dialog, connecting and disconnecting, the title, what the menus and the
// tool bar offer, and the group panes' roots.

#include <QMainWindow>
#include <QSplitter>

#include "app/client_name.h"
#include "gui/profile_store.h"
#include "gui/resources.h"
#include "quillon_fixture.h"
#include "resources/resource_ids.h"
#include "result/function_result_view.h"
#include "session/browse_position.h"
#include "win/computer.h"
#include "workspace/group_view.h"

namespace quillon::testing {
namespace {

using gui::testing::DialogDriver;
using gui::testing::menuCommandState;
using gui::testing::modalScript;
using gui::testing::popupEntryState;
using gui::testing::toolBarButtonState;
using gui::testing::triggerAction;

using MainWindowTest = QuillonTest;

TEST_F(MainWindowTest, FirstStartOpensTheConnectDialogAtOnceWithTheSampleServerOnThisComputer) {
  start([this](DialogDriver& d) {
    EXPECT_TRUE(app.mainFrame()->IsWindowVisible());  // over the empty window
    EXPECT_EQ(d.text(IDC_SERVER_NAME), "Pelkor.DataSample");
    EXPECT_EQ(d.text(IDC_MACHINE_NAME), "");
    d.press(gui::IDCANCEL);
  });
  EXPECT_EQ(frame->GetWindowText(), "Quillon");
  EXPECT_EQ(frame->session().GetServer(), nullptr);
  EXPECT_TRUE(modalScript().messageBoxes().empty());
  EXPECT_EQ(gui::ProfileStore::instance().GetProfileString("Settings", "OPC Server", "<unset>"), "Pelkor.DataSample");
  EXPECT_EQ(gui::ProfileStore::instance().GetProfileString("Settings", "Machine", "<unset>"), "");
  EXPECT_EQ(gui::ProfileStore::instance().organization(), "Velmora");
}

TEST_F(MainWindowTest, PanesStartWithTheGroupPanesAboveTheResultViewsLowerRows) {
  start([](DialogDriver& d) { d.press(gui::IDCANCEL); });
  const QRect client = frame->GetClientRect();
  auto* rows = qobject_cast<QSplitter*>(frame->mainWindow()->centralWidget());
  ASSERT_NE(rows, nullptr);
  ASSERT_EQ(rows->count(), 2);
  EXPECT_EQ(rows->sizes()[0], client.height() - CMainWindow::kResultViewHeight);
  auto* columns = qobject_cast<QSplitter*>(rows->widget(0));
  ASSERT_NE(columns, nullptr);
  EXPECT_EQ(columns->sizes()[0], client.width() / 2);
  EXPECT_EQ(columns->widget(0), frame->publicGroupView()->widget());
  EXPECT_EQ(columns->widget(1), frame->privateGroupView()->widget());
  EXPECT_EQ(rows->widget(1), frame->resultView()->widget());
  EXPECT_EQ(frame->GetActiveView(), frame->publicGroupView());
  EXPECT_EQ(frame->GetToolBar()->GetWindowText(), "Session Handling");
}

TEST_F(MainWindowTest, ConnectingShowsTheServerInTheTitleTheLampAndThePanes) {
  startConnected();
  EXPECT_EQ(frame->GetWindowText(), "Quillon - Connected to 'Pelkor.DataSample'");
  EXPECT_EQ(frame->serverStatusBar().GetServerState(), OPC_STATUS_RUNNING);
  EXPECT_TRUE(frame->shutdownConnection().IsAdvised());
  // The public group's items follow it.
  EXPECT_EQ(entries(frame->publicGroupView()).mid(0, 3),
            (QStringList{"Public Groups", "Public Simulation", "Simulation.Ramp"}));
  EXPECT_EQ(entries(frame->privateGroupView()), (QStringList{"Private Groups"}));
  gui::TreeCtrl tree = frame->privateGroupView()->GetTreeCtrl();
  EXPECT_EQ(tree.GetSelectedItem(), tree.GetRootItem());
  EXPECT_TRUE(tree.GetItemState(tree.GetRootItem(), gui::TVIS_EXPANDED) & gui::TVIS_EXPANDED);

  triggerAction(*frame, ID_REFRESH_PUBLIC_GROUP);
  EXPECT_EQ(entries(frame->publicGroupView()).mid(0, 2), (QStringList{"Public Groups", "Public Simulation"}));
}

TEST_F(MainWindowTest, AServerThatCannotListItsGroupsLeavesTheRootsAlone) {
  modalScript().expectDialog(IDD_CONNECT, answer("Pelkor.DataSample.NoGroupEnumerator"));
  for (int pane = 0; pane < 2; ++pane) {
    modalScript().expectMessageBox(gui::IDOK, "Cannot enumerate groups. Function not implemented in Server.");
  }
  app.InitInstance();
  frame = app.mainFrame();
  EXPECT_EQ(entries(frame->publicGroupView()), (QStringList{"Public Groups"}));
  EXPECT_EQ(entries(frame->privateGroupView()), (QStringList{"Private Groups"}));
  EXPECT_EQ(frame->GetWindowText(), "Quillon - Connected to 'Pelkor.DataSample.NoGroupEnumerator'");
}

TEST_F(MainWindowTest, TheTitleNamesTheMachineWhenOneIsGiven) {
  start(answer("Pelkor.DataSample", "localhost"));
  EXPECT_EQ(frame->GetWindowText(), "Quillon - Connected to 'localhost\\Pelkor.DataSample'");
}

TEST_F(MainWindowTest, AFailedConnectionAddsItsOwnMessageAfterTheReason) {
  struct Case {
    const char* machine;
    const char* progId;
    const char* message;
  };
  const Case cases[] = {
      {"", "Nobody.Registered", "Cannot connect to OPC Server 'Nobody.Registered'"},
      {"othermachine", "Pelkor.DataSample", "Cannot connect to OPC Server 'othermachine\\Pelkor.DataSample'"},
  };
  start([](DialogDriver& d) { d.press(gui::IDCANCEL); });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    modalScript().expectDialog(IDD_CONNECT, answer(c.progId, c.machine));
    modalScript().expectMessageBox(gui::IDOK);  // the reason, from the session
    modalScript().expectMessageBox(gui::IDOK, c.message);
    EXPECT_TRUE(triggerAction(*frame, ID_CONNECT));
    // The reason carries the title of the window the user works in, the
    // summary the program's name.
    ASSERT_EQ(modalScript().messageBoxes().size(), 2u);
    EXPECT_EQ(modalScript().messageBoxes()[0].caption, "Quillon");
    EXPECT_EQ(modalScript().messageBoxes()[1].caption, gui::Application::appName());
    EXPECT_EQ(modalScript().messageBoxes()[1].buttons(), gui::MB_OK);
    modalScript().verifyAndReset();
    EXPECT_EQ(frame->GetWindowText(), "Quillon");
    EXPECT_EQ(frame->session().GetServer(), nullptr);
    EXPECT_TRUE(menuCommandState(*frame, ID_CONNECT).enabled);
  }
}

TEST_F(MainWindowTest, MenusAndToolBarOfferWhatTheConnectionAllows) {
  const QStringList popups[] = {{"&OPCServer", "IOPC&Server"},
                                {"&OPCServer", "IOPCServer&PublicGroups"},
                                {"&OPCServer", "IOPCBrowseServer&AddressSpace"},
                                {"&OPCServer", "IPersist&File"},
                                {"&OPCServer", "IOPCC&ommon"},
                                {"&OPCServer", "IOPCItemP&roperties"}};
  struct Case {
    const char* progId;  // null: not connected
    bool popupsEnabled[6];
  };
  const Case cases[] = {
      {nullptr, {false, false, false, false, false, false}},
      {"Pelkor.DataSample", {true, true, true, true, true, true}},
      {"Pelkor.DataSample.Minimal", {true, false, false, false, false, false}},
  };
  start([](DialogDriver& d) { d.press(gui::IDCANCEL); });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.progId != nullptr ? c.progId : "not connected");
    if (c.progId != nullptr) connect(answer(c.progId));
    const bool connected = c.progId != nullptr;
    for (UINT id : {ID_CONNECT, ID_DISCONNECT, ID_REFRESH_PUBLIC_GROUP}) {
      const bool expected = (id == ID_CONNECT) != connected;
      EXPECT_EQ(menuCommandState(*frame, id).enabled, expected) << id;
      EXPECT_EQ(toolBarButtonState(*frame, id).enabled, expected) << id;
    }
    for (UINT id : {gui::ID_APP_ABOUT, gui::ID_APP_EXIT, gui::ID_VIEW_TOOLBAR, gui::ID_VIEW_STATUS_BAR}) {
      EXPECT_TRUE(menuCommandState(*frame, id).enabled) << id;
    }
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(popupEntryState(*frame, popups[i]).enabled, c.popupsEnabled[i]) << popups[i].join(" > ").toStdString();
    }
    if (connected) triggerAction(*frame, ID_DISCONNECT);
  }
}

TEST_F(MainWindowTest, DisconnectingEmptiesEverythingTheConnectionShowed) {
  startConnected();
  SetCurrentBrowsePosition("Simulation");
  FunctionResult shown{"IOPCServer::GetStatus", "S_OK", {"dwServerState : 1"}};
  frame->resultView()->ShowResult(shown);

  ASSERT_TRUE(triggerAction(*frame, ID_DISCONNECT));
  EXPECT_EQ(frame->session().GetServer(), nullptr);
  EXPECT_FALSE(frame->shutdownConnection().IsAdvised());
  EXPECT_EQ(frame->GetWindowText(), "Quillon");
  EXPECT_EQ(frame->serverStatusBar().GetServerState(), CServerStatusBar::kNotConnected);
  EXPECT_TRUE(entries(frame->publicGroupView()).isEmpty());
  EXPECT_TRUE(entries(frame->privateGroupView()).isEmpty());
  EXPECT_EQ(frame->resultView()->GetDlgItemText(IDC_FUNCTION_NAME), "");
  EXPECT_EQ(frame->resultView()->GetDlgItemText(IDC_RETURN_CODE), "");
  EXPECT_EQ(frame->resultView()->listBox(IDC_FUNCTION_RESULT).GetCount(), 0);
  EXPECT_EQ(CurrentBrowsePosition(), "<ROOT>");
  EXPECT_TRUE(modalScript().messageBoxes().empty());

  // The next connection starts from scratch.
  connect(answer("Pelkor.DataSample"));
  EXPECT_EQ(frame->GetWindowText(), "Quillon - Connected to 'Pelkor.DataSample'");
}

TEST_F(MainWindowTest, ClosingWhileConnectedLetsTheServerGoWithoutAMessage) {
  startConnected();
  EXPECT_TRUE(triggerAction(*frame, gui::ID_APP_EXIT));
  gui::testing::pumpEvents();
  EXPECT_EQ(app.mainWindow(), nullptr);
  EXPECT_TRUE(modalScript().messageBoxes().empty());
}

TEST_F(MainWindowTest, AboutShowsTheProgramsNameAndVersion) {
  start([](DialogDriver& d) { d.press(gui::IDCANCEL); });
  modalScript().expectDialog(IDD_ABOUTBOX, [](DialogDriver& d) {
    EXPECT_EQ(d.caption(), "About Quillon");
    EXPECT_TRUE(d.text(IDC_VERSION_LINE).startsWith("Quillon Version "));
    d.press(gui::IDOK);
  });
  EXPECT_TRUE(triggerAction(*frame, gui::ID_APP_ABOUT));
}

TEST(ClientName, IsThisComputersNameAndTheProgramsOwn) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  EXPECT_EQ(QuillonClientName(), std::string("\\\\") + computer + "\\Velmora's <Quillon>");
}

}  // namespace
}  // namespace quillon::testing
