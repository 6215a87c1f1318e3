// main() of the GUI test binaries: the scratch environment first, then the
// Qt application on the offscreen platform with the layer's look, the modal
// script as modal seam, and a listener that gives every test a clean start
// and fails it for modal interactions it expected but never saw.

#include <gtest/gtest.h>

#include <QApplication>

#include "gui/application.h"
#include "gui/modal_seam.h"
#include "gui/testing/modal_script.h"
#include "gui/testing/pump.h"
#include "gui/testing/test_environment.h"

namespace {

class GuiTestListener : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    gui::testing::modalScript().reset();
    gui::testing::clearSettings();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    gui::testing::modalScript().verifyAndReset();
    // Widgets of destroyed windows go once control is back in the loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

}  // namespace

int main(int argc, char** argv) {
  gui::testing::TestEnvironment environment;
  int result = 0;
  {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    gui::applyDesktopLook(app);
    ::testing::InitGoogleTest(&argc, argv);
    gui::ModalSeam::install(&gui::testing::modalScript());
    ::testing::UnitTest::GetInstance()->listeners().Append(new GuiTestListener);
    result = RUN_ALL_TESTS();
    gui::ModalSeam::install(nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return result;
}
