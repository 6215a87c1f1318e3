// The connect dialog starts from the settings and writes both texts back
// whichever button closes it, also the texts that Browse filled in.

#include <gtest/gtest.h>

#include "gui/profile_store.h"
#include "gui/testing/testing.h"
#include "resources/quillon_resources.h"
#include "resources/resource_ids.h"
#include "session/connect_dialog.h"
#include "win/computer.h"

namespace {

using namespace quillon;
using gui::testing::DialogDriver;
using gui::testing::modalScript;

QString stored(const char* name) {
  return gui::ProfileStore::instance().GetProfileString("Settings", name, "<never written>");
}

class ConnectDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterQuillonResources(); }

  // Runs the dialog with the user's script and returns its result.
  static INT_PTR run(std::function<void(DialogDriver&)> script) {
    modalScript().expectDialog(IDD_CONNECT, std::move(script));
    CConnectDialog dialog;
    return dialog.DoModal();
  }
};

TEST_F(ConnectDialogTest, StartsWithTheSampleServerOnThisComputerAndStoresThatEvenOnCancel) {
  EXPECT_EQ(run([](DialogDriver& d) {
              EXPECT_EQ(d.caption(), "Connect to OPC Server");
              EXPECT_EQ(d.text(IDC_SERVER_NAME), "Pelkor.DataSample");
              EXPECT_EQ(d.text(IDC_MACHINE_NAME), "");
              d.press(gui::IDCANCEL);
            }),
            gui::IDCANCEL);
  EXPECT_EQ(stored("OPC Server"), "Pelkor.DataSample");
  EXPECT_EQ(stored("Machine"), "");
}

TEST_F(ConnectDialogTest, ConnectStoresTheTypedTextsAndTheNextDialogStartsFromThem) {
  EXPECT_EQ(run([](DialogDriver& d) {
              d.setText(IDC_SERVER_NAME, "Pelkor.DataSample.Minimal");
              d.setText(IDC_MACHINE_NAME, "plant-7");
              d.press(gui::IDOK);
            }),
            gui::IDOK);
  EXPECT_EQ(stored("OPC Server"), "Pelkor.DataSample.Minimal");
  EXPECT_EQ(stored("Machine"), "plant-7");

  // Cancel keeps what the dialog started with, whatever was typed.
  run([](DialogDriver& d) {
    EXPECT_EQ(d.text(IDC_SERVER_NAME), "Pelkor.DataSample.Minimal");
    EXPECT_EQ(d.text(IDC_MACHINE_NAME), "plant-7");
    d.setText(IDC_SERVER_NAME, "Typed.But.Cancelled");
    d.press(gui::IDCANCEL);
  });
  EXPECT_EQ(stored("OPC Server"), "Pelkor.DataSample.Minimal");
}

TEST_F(ConnectDialogTest, BrowsedServerIsShownAndStoredEvenOnCancel) {
  run([](DialogDriver& d) {
    d.setText(IDC_SERVER_NAME, "Some.Server");
    // A row chosen under this computer's "Registry": with "OPC Data Access
    // 1.0" checked the registry lists the sample server.
    modalScript().expectDialog(IDD_SERVER_SELECT, [](DialogDriver& select) {
      select.selectTreeItem(IDC_MACHINE_TREE, {"This Computer", "Registry"});
      select.check(IDC_DA10_FILTER);
      select.setText(IDC_PROGID_FILTER, "Pelkor.DataSample");
      select.selectRow(IDC_SERVER_LIST, 0);
      select.press(gui::IDOK);
    });
    d.press(IDC_BROWSE);
    EXPECT_FALSE(d.ended());
    EXPECT_EQ(d.text(IDC_SERVER_NAME), "Pelkor.DataSample");
    EXPECT_TRUE(d.text(IDC_MACHINE_NAME).startsWith("\\\\"));
    d.press(gui::IDCANCEL);
  });
  EXPECT_EQ(stored("OPC Server"), "Pelkor.DataSample");
  char computer[16] = {};
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  EXPECT_EQ(stored("Machine"), QStringLiteral("\\\\") + computer);
}

TEST_F(ConnectDialogTest, CancelledBrowseLeavesTheTextsAlone) {
  run([](DialogDriver& d) {
    d.setText(IDC_SERVER_NAME, "Some.Server");
    modalScript().expectDialog(IDD_SERVER_SELECT, [](DialogDriver& select) { select.press(gui::IDCANCEL); });
    d.press(IDC_BROWSE);
    EXPECT_EQ(d.text(IDC_SERVER_NAME), "Some.Server");
    d.press(gui::IDOK);
  });
  EXPECT_EQ(stored("OPC Server"), "Some.Server");
}

}  // namespace
