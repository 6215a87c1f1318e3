// The commands of the "IOPC&Server" and "IOPCServer&PublicGroups" pop-ups
// against the sample server: what each shows in the result pane, on its
// main path and where the server refuses, and the group panes they rebuild.

#include <regex>

#include "command_test.h"
#include "format/code_text.h"
#include "resources/parameter_dialog_ids.h"
#include "resources/resource_ids.h"
#include "workspace/group_view.h"

namespace quillon::testing {
namespace {

using gui::testing::DialogDriver;
using gui::testing::modalScript;

class ServerCommandsTest : public CommandTest {
 protected:
  // Adds a private group through the menu; returns its server handle.
  unsigned long addGroup(const char* name) {
    const ResultPane shown = run(ID_IOPCSERVER_ADDGROUP, IDD_ADD_GROUP, [name](DialogDriver& d) {
      d.setText(IDC_GROUP_NAME, name);
      d.setText(IDC_UPDATE_RATE, "1000");
      d.press(gui::IDOK);
    });
    EXPECT_EQ(shown.returnCode, "S_OK");
    std::smatch match;
    if (shown.lines.size() != 2 ||
        !std::regex_match(shown.lines[1], match, std::regex(R"(Server generated Handle   : (\d+))"))) {
      ADD_FAILURE() << ::testing::PrintToString(shown);
      return 0;
    }
    return std::stoul(match[1]);
  }

  // The root entry of a pane and its groups, without their items.
  static QStringList groups(CGroupView* pane) {
    gui::TreeCtrl tree = pane->GetTreeCtrl();
    const gui::TreeItem root = tree.GetRootItem();
    QStringList texts{tree.GetItemText(root)};
    for (gui::TreeItem group = tree.GetChildItem(root); group != nullptr; group = tree.GetNextSiblingItem(group)) {
      texts << tree.GetItemText(group);
    }
    return texts;
  }

  static std::function<void(DialogDriver&)> groupByName(const char* name, const char* interfaceType) {
    return [name, interfaceType](DialogDriver& d) {
      d.setText(IDC_GROUP_NAME, name);
      d.selectText(IDC_INTERFACE_TYPE, interfaceType);
      d.press(gui::IDOK);
    };
  }
  static std::function<void(DialogDriver&)> removeGroup(unsigned long handle) {
    return [handle](DialogDriver& d) {
      d.setText(IDC_GROUP_HANDLE, QString::number(handle));
      d.press(gui::IDOK);
    };
  }
  static std::function<void(DialogDriver&)> enumScope(const char* scope) {
    return [scope](DialogDriver& d) {
      d.selectText(IDC_ENUM_SCOPE, scope);
      d.press(gui::IDOK);
    };
  }
};

TEST_F(ServerCommandsTest, GetStatusShowsTheElevenFieldsOfTheServersStatus) {
  SetUpConnected();
  ResultPane shown = run(ID_IOPCSERVER_GETSTATUS);
  EXPECT_EQ(shown.function, "IOPCServer::GetStatus");
  EXPECT_EQ(shown.returnCode, "S_OK");
  ASSERT_EQ(shown.lines.size(), 11u);
  const std::regex time(R"(\d\d\.(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d{4}, \d\d:\d\d:\d\d)");
  const char* const timeLabels[] = {"ftStartTime        : ", "ftCurrentTime      : ", "ftLastUpdateTime   : "};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(shown.lines[i].rfind(timeLabels[i], 0), 0u) << shown.lines[i];
    EXPECT_TRUE(std::regex_match(shown.lines[i].substr(21), time)) << shown.lines[i];
  }
  // The bandwidth is the share of time the server's update thread is busy.
  EXPECT_TRUE(std::regex_match(shown.lines[5], std::regex(R"(dwBandWidth        : \d{1,3})"))) << shown.lines[5];
  shown.lines.erase(shown.lines.begin() + 5);
  shown.lines.erase(shown.lines.begin(), shown.lines.begin() + 3);
  EXPECT_EQ(shown.lines, (std::vector<std::string>{
                             "dwServerState      : OPC_STATUS_RUNNING",
                             "dwGroupCount       : 1",  // "Public Simulation"
                             "wMajorVersion      : 1",
                             "wMinorVersion      : 0",
                             "wBuildNumber       : 1",
                             "wReserved          : 0",
                             "szVendorInfo       : Pelkor Data Sample Server",
                         }));
}

TEST_F(ServerCommandsTest, AFailedGetStatusShowsOnlyTheReturnCode) {
  // This variant answers four status requests; the connection used one. The
  // poll must not take one of the others on a slow run.
  SetUpConnected("Pelkor.DataSample.FailingStatus");
  frame->KillTimer(CMainWindow::kStatusTimer);
  for (int call = 2; call <= 4; ++call) EXPECT_EQ(run(ID_IOPCSERVER_GETSTATUS).returnCode, "S_OK");
  EXPECT_EQ(run(ID_IOPCSERVER_GETSTATUS), (ResultPane{"IOPCServer::GetStatus", "E_FAIL", {}}));
  EXPECT_FALSE(detail().empty());  // the system's description of E_FAIL
}

TEST_F(ServerCommandsTest, AddGroupShowsTheNewGroupAndItsHandleAndListsItInThePrivatePane) {
  SetUpConnected();
  const unsigned long handle = addGroup("Boiler");
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(groups(frame->privateGroupView()), (QStringList{"Private Groups", "Boiler"}));
}

TEST_F(ServerCommandsTest, AddGroupWithANameInUseShowsTheServersDescriptionAndNoLines) {
  SetUpConnected();
  addGroup("Boiler");
  EXPECT_EQ(run(ID_IOPCSERVER_ADDGROUP, IDD_ADD_GROUP,
                [](DialogDriver& d) {
                  d.setText(IDC_GROUP_NAME, "Boiler");
                  d.press(gui::IDOK);
                }),
            (ResultPane{"IOPCServer::AddGroup", "OPC_E_DUPLICATENAME", {}}));
  EXPECT_EQ(detail(), "The name is already used by another group.");
  EXPECT_EQ(groups(frame->privateGroupView()), (QStringList{"Private Groups", "Boiler"}));
}

TEST_F(ServerCommandsTest, RemoveGroupShowsItsLineInBothOutcomesAndRebuildsThePaneOnlyAfterARemoval) {
  SetUpConnected();
  const unsigned long handle = addGroup("Boiler");
  const unsigned long unknown = handle + 1000;
  EXPECT_EQ(run(ID_IOPCSERVER_REMOVEGROUP, IDD_REMOVE_GROUP, removeGroup(unknown)),
            (ResultPane{"IOPCServer::RemoveGroup",
                        "E_INVALIDARG",
                        {"Cannot remove private group with handle '" + std::to_string(unknown) + "'"}}));
  EXPECT_EQ(groups(frame->privateGroupView()), (QStringList{"Private Groups", "Boiler"}));

  // The pane still held the group when the server removed it.
  EXPECT_EQ(run(ID_IOPCSERVER_REMOVEGROUP, IDD_REMOVE_GROUP, removeGroup(handle)),
            (ResultPane{"IOPCServer::RemoveGroup",
                        "OPC_S_INUSE",
                        {"Private group with handle '" + std::to_string(handle) + "' removed"}}));
  EXPECT_EQ(groups(frame->privateGroupView()), (QStringList{"Private Groups"}));
}

TEST_F(ServerCommandsTest, GetGroupByNameShowsThePointerAndTheInterfaceChosen) {
  SetUpConnected();
  addGroup("Boiler");
  const ResultPane shown =
      run(ID_IOPCSERVER_GETGROUPBYNAME, IDD_GROUP_BY_NAME, groupByName("Boiler", "IOPCItemMgt"));
  EXPECT_EQ(shown.function, "IOPCServer::GetGroupByName");
  EXPECT_EQ(shown.returnCode, "S_OK");
  ASSERT_EQ(shown.lines.size(), 2u);
  EXPECT_TRUE(std::regex_match(shown.lines[0], std::regex("Group interface pointer : 0x[0-9a-f]+"))) << shown.lines[0];
  EXPECT_EQ(shown.lines[1], "Interface type          : IOPCItemMgt");
  EXPECT_EQ(groups(frame->privateGroupView()), (QStringList{"Private Groups", "Boiler"}));

  // A public group is not found among the private ones.
  EXPECT_EQ(run(ID_IOPCSERVER_GETGROUPBYNAME, IDD_GROUP_BY_NAME, groupByName("Public Simulation", "IUnknown")),
            (ResultPane{"IOPCServer::GetGroupByName", "E_INVALIDARG", {}}));
}

TEST_F(ServerCommandsTest, GetPublicGroupByNameNamesTheMethodWithALowerCaseBy) {
  SetUpConnected();
  ResultPane shown = run(ID_IOPCSERVERPUBLICGROUPS_GETPUBLICGROUPBYNAME, IDD_GROUP_BY_NAME,
                         groupByName("Public Simulation", "IUnknown"));
  ASSERT_EQ(shown.lines.size(), 2u);
  EXPECT_TRUE(std::regex_match(shown.lines[0], std::regex("Group interface pointer : 0x[0-9a-f]+"))) << shown.lines[0];
  shown.lines.erase(shown.lines.begin());
  EXPECT_EQ(shown, (ResultPane{"IOPCServerPublicGroups::GetPublicGroupbyName",
                               "S_OK",
                               {"Interface type          : IUnknown"}}));

  EXPECT_EQ(run(ID_IOPCSERVERPUBLICGROUPS_GETPUBLICGROUPBYNAME, IDD_GROUP_BY_NAME, groupByName("Boiler", "IUnknown")),
            (ResultPane{"IOPCServerPublicGroups::GetPublicGroupbyName", "OPC_E_NOTFOUND", {}}));
}

TEST_F(ServerCommandsTest, RemovePublicGroupShowsItsLineInBothOutcomesAndRebuildsThePublicPane) {
  SetUpConnected();
  EXPECT_EQ(run(ID_IOPCSERVERPUBLICGROUPS_REMOVEPUBLICGROUP, IDD_REMOVE_GROUP, removeGroup(4711)),
            (ResultPane{"IOPCServerPublicGroups::RemovePublicGroup",
                        "E_INVALIDARG",
                        {"Cannot remove public group with handle '4711'"}}));
  EXPECT_EQ(groups(frame->publicGroupView()), (QStringList{"Public Groups", "Public Simulation"}));

  // The server's one public group was its first.
  EXPECT_EQ(run(ID_IOPCSERVERPUBLICGROUPS_REMOVEPUBLICGROUP, IDD_REMOVE_GROUP, removeGroup(1)),
            (ResultPane{"IOPCServerPublicGroups::RemovePublicGroup",
                        "OPC_S_INUSE",
                        {"Public group with handle '1' removed"}}));
  EXPECT_EQ(groups(frame->publicGroupView()), (QStringList{"Public Groups"}));
}

TEST_F(ServerCommandsTest, CreateGroupEnumeratorListsTheGroupsOrSaysThereIsNothing) {
  SetUpConnected();
  addGroup("Boiler");
  EXPECT_EQ(run(ID_IOPCSERVER_CREATEGROUPENUMERATOR, IDD_GROUP_ENUM_SCOPE, enumScope("OPC_ENUM_ALL")),
            (ResultPane{"IOPCServer::CreateGroupEnumerator",
                        "S_OK",
                        {"Public Simulation", "Boiler", "Total number of Groups found : 2"}}));
  EXPECT_EQ(run(ID_IOPCSERVER_CREATEGROUPENUMERATOR, IDD_GROUP_ENUM_SCOPE, enumScope("OPC_ENUM_PUBLIC")),
            (ResultPane{"IOPCServer::CreateGroupEnumerator",
                        "S_OK",
                        {"Public Simulation", "Total number of Groups found : 1"}}));
}

TEST_F(ServerCommandsTest, AnEmptyGroupEnumerationReadsByItsReturnCode) {
  struct Case {
    const char* progId;
    ResultPane shown;
  };
  const Case cases[] = {
      {"Pelkor.DataSample",
       {"IOPCServer::CreateGroupEnumerator", "S_FALSE", {"There is nothing to enumerate"}}},
      {"Pelkor.DataSample.EmptyEnumerations",
       {"IOPCServer::CreateGroupEnumerator", "S_OK", {"Total number of Groups found : 0"}}},
      {"Pelkor.DataSample.NoGroupEnumerator", {"IOPCServer::CreateGroupEnumerator", "E_NOTIMPL", {}}},
  };
  SetUpConnected();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.progId);
    EXPECT_TRUE(gui::testing::triggerAction(*frame, ID_DISCONNECT));
    modalScript().expectDialog(IDD_CONNECT, answer(c.progId));
    if (std::string(c.progId) == "Pelkor.DataSample.NoGroupEnumerator") {
      // Each pane says why it stays empty.
      for (int pane = 0; pane < 2; ++pane) {
        modalScript().expectMessageBox(gui::IDOK, "Cannot enumerate groups. Function not implemented in Server.");
      }
    }
    EXPECT_TRUE(gui::testing::triggerAction(*frame, ID_CONNECT));
    EXPECT_EQ(run(ID_IOPCSERVER_CREATEGROUPENUMERATOR, IDD_GROUP_ENUM_SCOPE, enumScope("OPC_ENUM_PRIVATE")),
              c.shown);
  }
}

TEST_F(ServerCommandsTest, GetErrorStringShowsTheServersTextInTheChosenLocale) {
  SetUpConnected();
  auto ask = [](const char* code, LCID locale) {
    return [code, locale](DialogDriver& d) {
      d.setText(IDC_ERROR_CODE, code);
      d.selectText(IDC_LOCALE, QString::fromStdString(LocaleText(locale)));
      d.press(gui::IDOK);
    };
  };
  EXPECT_EQ(run(ID_IOPCSERVER_GETERRORSTRING, IDD_SERVER_ERROR_STRING, ask("C0040007", 0x409)),
            (ResultPane{"IOPCServer::GetErrorString",
                        "S_OK",
                        {"The item ID is not defined in the server's address space."}}));
  EXPECT_EQ(run(ID_IOPCSERVER_GETERRORSTRING, IDD_SERVER_ERROR_STRING, ask("C004000C", 0x407)),
            (ResultPane{"IOPCServer::GetErrorString",
                        "S_OK",
                        {"Der Name wird bereits von einer anderen Gruppe verwendet."}}));
  // A code the server does not know.
  EXPECT_EQ(run(ID_IOPCSERVER_GETERRORSTRING, IDD_SERVER_ERROR_STRING, ask("12345678", 0x409)),
            (ResultPane{"IOPCServer::GetErrorString", "E_INVALIDARG", {}}));
}

TEST_F(ServerCommandsTest, CancellingADialogCallsNothingAndShowsNothing) {
  SetUpConnected();
  const struct {
    UINT command;
    UINT dialog;
  } commands[] = {
      {ID_IOPCSERVER_ADDGROUP, IDD_ADD_GROUP},
      {ID_IOPCSERVER_GETERRORSTRING, IDD_SERVER_ERROR_STRING},
      {ID_IOPCSERVER_GETGROUPBYNAME, IDD_GROUP_BY_NAME},
      {ID_IOPCSERVER_REMOVEGROUP, IDD_REMOVE_GROUP},
      {ID_IOPCSERVER_CREATEGROUPENUMERATOR, IDD_GROUP_ENUM_SCOPE},
      {ID_IOPCSERVERPUBLICGROUPS_GETPUBLICGROUPBYNAME, IDD_GROUP_BY_NAME},
      {ID_IOPCSERVERPUBLICGROUPS_REMOVEPUBLICGROUP, IDD_REMOVE_GROUP},
  };
  for (const auto& c : commands) {
    blankPane();
    EXPECT_EQ(run(c.command, c.dialog, [](DialogDriver& d) { d.press(gui::IDCANCEL); }), ResultPane{}) << c.command;
  }
  EXPECT_EQ(groups(frame->privateGroupView()), (QStringList{"Private Groups"}));
  EXPECT_EQ(groups(frame->publicGroupView()), (QStringList{"Public Groups", "Public Simulation"}));
}

}  // namespace
}  // namespace quillon::testing
