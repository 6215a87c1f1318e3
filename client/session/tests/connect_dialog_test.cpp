// The connect dialog starts from the settings and writes both texts back
// whichever button closes it; Browse says that it is not available yet.

#include <gtest/gtest.h>

#include "gui/profile_store.h"
#include "gui/testing/testing.h"
#include "resources/quillon_resources.h"
#include "resources/resource_ids.h"
#include "session/connect_dialog.h"

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

TEST_F(ConnectDialogTest, BrowseSaysThatItIsNotAvailableAndLeavesTheTextsAlone) {
  run([](DialogDriver& d) {
    d.setText(IDC_SERVER_NAME, "Some.Server");
    modalScript().expectMessageBox(
        gui::IDOK, "Browsing for OPC Servers is not available yet.\nPlease type the ProgID of the server.");
    d.press(IDC_BROWSE);
    EXPECT_FALSE(d.ended());
    EXPECT_EQ(d.text(IDC_SERVER_NAME), "Some.Server");
    d.press(gui::IDOK);
  });
}

}  // namespace
