// What every server-level command does around its call: each one is routed
// and calls its method, it refuses to run without its interface, and it
// passes the user's text on whole.

#include "command_test.h"
#include "resources/parameter_dialog_ids.h"
#include "resources/resource_ids.h"

namespace quillon::testing {
namespace {

using gui::testing::DialogDriver;
using gui::testing::modalScript;

using CommandFrameTest = CommandTest;

TEST_F(CommandFrameTest, ACommandSentWithoutItsInterfaceSaysSoAndShowsNothing) {
  // The menus grey these pop-ups; the commands can still be sent.
  SetUpConnected("Pelkor.DataSample.Minimal");
  const struct {
    UINT command;
    const char* interfaceName;
  } cases[] = {
      {ID_IOPCSERVERPUBLICGROUPS_REMOVEPUBLICGROUP, "IOPCServerPublicGroups"},
      {ID_IOPCBROWSE_QUERYORGANIZATION, "IOPCBrowseServerAddressSpace"},
      {ID_IPERSISTFILE_ISDIRTY, "IPersistFile"},
      {ID_IOPCCOMMON_GETLOCALEID, "IOPCCommon"},
      {ID_IOPCITEMPROPERTIES_LOOKUPITEMIDS, "IOPCItemProperties"},
  };
  for (const auto& c : cases) {
    blankPane();
    modalScript().expectMessageBox(gui::IDOK, QString("Interface not supported : %1\n").arg(c.interfaceName));
    frame->SendMessage(gui::WM_COMMAND, gui::MakeCommandParam(c.command), 0);
    modalScript().verifyAndReset();
    EXPECT_EQ(pane(), ResultPane{}) << c.interfaceName;
  }
}

TEST_F(CommandFrameTest, TextsOutsideAsciiReachTheServerAndComeBackUnchanged) {
  SetUpConnected();
  const QString name = QString::fromUtf8("Kessel \xC3\xBC \xE2\x82\xAC");
  const ResultPane added = run(ID_IOPCSERVER_ADDGROUP, IDD_ADD_GROUP, [&](DialogDriver& d) {
    d.setText(IDC_GROUP_NAME, name);
    d.setText(IDC_UPDATE_RATE, "1000");
    d.press(gui::IDOK);
  });
  ASSERT_EQ(added.returnCode, "S_OK");
  EXPECT_EQ(added.lines.at(0), "Added new Group           : " + name.toStdString());
  EXPECT_EQ(run(ID_IOPCSERVER_CREATEGROUPENUMERATOR, IDD_GROUP_ENUM_SCOPE,
                [](DialogDriver& d) {
                  d.selectText(IDC_ENUM_SCOPE, "OPC_ENUM_PRIVATE");
                  d.press(gui::IDOK);
                })
                .lines.at(0),
            name.toStdString());
}

// Every command of the interface pop-ups, run once with its dialog's
// defaults. Under AddressSanitizer this run also shows that nothing a
// server hands out is leaked or freed twice on any command's way.
TEST_F(CommandFrameTest, EveryCommandOfTheInterfacePopupsCallsItsMethod) {
  SetUpConnected();
  const struct {
    UINT command;
    UINT dialog;  // 0: none
    const char* function;
  } commands[] = {
      {ID_IOPCSERVER_ADDGROUP, IDD_ADD_GROUP, "IOPCServer::AddGroup"},
      {ID_IOPCSERVER_GETERRORSTRING, IDD_SERVER_ERROR_STRING, "IOPCServer::GetErrorString"},
      {ID_IOPCSERVER_GETGROUPBYNAME, IDD_GROUP_BY_NAME, "IOPCServer::GetGroupByName"},
      {ID_IOPCSERVER_GETSTATUS, 0, "IOPCServer::GetStatus"},
      {ID_IOPCSERVER_REMOVEGROUP, IDD_REMOVE_GROUP, "IOPCServer::RemoveGroup"},
      {ID_IOPCSERVER_CREATEGROUPENUMERATOR, IDD_GROUP_ENUM_SCOPE, "IOPCServer::CreateGroupEnumerator"},
      {ID_IOPCSERVERPUBLICGROUPS_GETPUBLICGROUPBYNAME, IDD_GROUP_BY_NAME,
       "IOPCServerPublicGroups::GetPublicGroupbyName"},
      {ID_IOPCSERVERPUBLICGROUPS_REMOVEPUBLICGROUP, IDD_REMOVE_GROUP, "IOPCServerPublicGroups::RemovePublicGroup"},
      {ID_IOPCBROWSE_QUERYORGANIZATION, 0, "IOPCBrowseServerAddressSpace::QueryOrganization"},
      {ID_IOPCBROWSE_CHANGEBROWSEPOSITION, IDD_CHANGE_BROWSE_POSITION,
       "IOPCBrowseServerAddressSpace::ChangeBrowsePosition"},
      {ID_IOPCBROWSE_BROWSEOPCITEMIDS, IDD_BROWSE_ITEM_IDS, "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs"},
      {ID_IOPCBROWSE_GETITEMID, IDD_TEXT_PARAM, "IOPCBrowseServerAddressSpace::GetItemID"},
      {ID_IOPCBROWSE_BROWSEACCESSPATHS, IDD_TEXT_PARAM, "IOPCBrowseServerAddressSpace::BrowseAccessPaths"},
      {ID_IPERSISTFILE_ISDIRTY, 0, "IPersistFile::IsDirty"},
      {ID_IPERSISTFILE_LOAD, IDD_PERSIST_FILE, "IPersistFile::Load"},
      {ID_IPERSISTFILE_SAVE, IDD_PERSIST_FILE, "IPersistFile::Save"},
      {ID_IPERSISTFILE_SAVECOMPLETED, IDD_PERSIST_FILE, "IPersistFile::SaveCompleted"},
      {ID_IPERSISTFILE_GETCURFILE, 0, "IPersistFile::GetCurFile"},
      {ID_IOPCCOMMON_SETLOCALEID, IDD_LOCALE_PARAM, "IOPCCommon::SetLocaleID"},
      {ID_IOPCCOMMON_GETLOCALEID, 0, "IOPCCommon::GetLocaleID"},
      {ID_IOPCCOMMON_QUERYAVAILABLELOCALEIDS, 0, "IOPCCommon::QueryAvailableLocaleIDs"},
      {ID_IOPCCOMMON_SETCLIENTNAME, IDD_TEXT_PARAM, "IOPCCommon::SetClientName"},
      {ID_IOPCITEMPROPERTIES_QUERYAVAILABLEPROPERTIES, IDD_ITEM_ID, "IOPCItemProperties::QueryAvailableProperties"},
      {ID_IOPCITEMPROPERTIES_GETITEMPROPERTIES, IDD_ITEM_ID, "IOPCItemProperties::GetItemProperties"},
      {ID_IOPCITEMPROPERTIES_LOOKUPITEMIDS, IDD_ITEM_ID, "IOPCItemProperties::LookupItemIDs"},
  };
  for (const auto& c : commands) {
    blankPane();
    const ResultPane shown = c.dialog == 0 ? run(c.command)
                                           : run(c.command, c.dialog, [](DialogDriver& d) { d.press(gui::IDOK); });
    EXPECT_EQ(shown.function, c.function);
    EXPECT_FALSE(shown.returnCode.empty()) << c.function;
  }
  // The one command whose dialog must be given a code is run on its own.
  EXPECT_EQ(run(ID_IOPCCOMMON_GETERRORSTRING, IDD_TEXT_PARAM,
                [](DialogDriver& d) {
                  d.setText(IDC_PARAM_FIELD, "C0040007");
                  d.press(gui::IDOK);
                })
                .function,
            "IOPCCommon::GetErrorString");
}

}  // namespace
}  // namespace quillon::testing
