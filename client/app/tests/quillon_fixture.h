#pragma once

// Quillon as a user starts it, in tests: the application object, its main
// window and the connect dialog that opens at once, answered by the test.

#include <gtest/gtest.h>

#include <QImage>
#include <functional>

#include "app/main_window.h"
#include "app/quillon_app.h"
#include "gui/testing/testing.h"

namespace quillon::testing {

class QuillonTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the program; `script` answers the connect dialog.
  CMainWindow& start(std::function<void(gui::testing::DialogDriver&)> script);
  // Starts the program and connects to `progId` on this computer.
  CMainWindow& startConnected(const char* progId = "Pelkor.DataSample");
  // Runs Connect from the menu; `script` answers the dialog.
  void connect(std::function<void(gui::testing::DialogDriver&)> script);
  // Answers the connect dialog with a server and machine.
  static std::function<void(gui::testing::DialogDriver&)> answer(const char* progId, const char* machine = "");

  // The texts of the entries of a group pane, depth first.
  static QStringList entries(CGroupView* pane);
  // The server-state pane of the status bar as it is drawn now.
  QImage statePaneImage();

  CQuillonApp app;
  CMainWindow* frame = nullptr;
};

}  // namespace quillon::testing
