// What every server-level command does around its call: it refuses to run
// without its interface, and it passes the user's text on whole.

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

}  // namespace
}  // namespace quillon::testing
