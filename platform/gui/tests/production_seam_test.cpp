// The modal seam of the running program: real modal loops for dialogs,
// message boxes and pop-up menus, ended here by timers that act as the user.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

#include "gui/application.h"
#include "gui/dialog.h"
#include "gui/menu.h"
#include "gui/message_box.h"
#include "gui/modal_seam.h"
#include "gui/modal_stack.h"
#include "gui/testing/testing.h"
#include "test_resources.h"

namespace gui {
namespace {

// Runs the program's own seam for one test; a guard ends any modal loop
// that a broken test would leave waiting.
class ProductionSeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::registerTestResources();
    ModalSeam::install(nullptr);
    guard_.setSingleShot(true);
    QObject::connect(&guard_, &QTimer::timeout, [] {
      ADD_FAILURE() << "A modal loop was still running; closing it";
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
      if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    guard_.start(10000);
  }
  void TearDown() override { ModalSeam::install(&testing::modalScript()); }

  // Acts once the modal loop runs.
  static void soon(std::function<void()> action) { QTimer::singleShot(50, qApp, std::move(action)); }

  QTimer guard_;
};

TEST_F(ProductionSeamTest, MessageBoxReturnsTheButtonClicked) {
  soon([] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Save the changes?");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(MessageBox("Save the changes?", MB_YESNO | MB_ICONQUESTION), IDNO);
}

TEST_F(ProductionSeamTest, OpenMessageBoxIsCancelledThroughTheModalStack) {
  soon([] {
    Window* innermost = ModalStack::instance().innermost();
    ASSERT_NE(innermost, nullptr);
    innermost->SendMessage(WM_COMMAND, IDCANCEL);
  });
  EXPECT_EQ(MessageBox("Just so you know.", MB_OK | MB_ICONINFORMATION), IDOK);  // OK alone: Escape means OK
  EXPECT_EQ(ModalStack::instance().innermost(), nullptr);
}

TEST_F(ProductionSeamTest, DialogRunsUntilEndedAndReturnsTheResult) {
  class Connect : public Dialog {
   public:
    Connect() : Dialog(test::kConnectDialog) {}
    QString server = "Pelkor.DataSample";
    void DoDataExchange(DataExchange& dx) override { dx.text(2001, server); }
  } dialog;
  soon([&] {
    EXPECT_EQ(GetActiveWindow(), &dialog);
    dialog.SetDlgItemText(2001, "Typed.Server");
    dialog.button(IDOK).Click();
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.server, "Typed.Server");
}

TEST_F(ProductionSeamTest, PopupMenuReturnsTheChosenCommand) {
  Menu menu;
  ASSERT_TRUE(menu.LoadMenu(test::kFrameId));
  Menu session = menu.GetSubMenu(2);
  soon([&] {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    popup->setActiveAction(popup->actions()[1]);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(popup, &enter);
  });
  EXPECT_EQ(session.TrackPopupMenu(TPM_RETURNCMD, 20, 20, nullptr), test::ID_TEST_DISCONNECT);
}

}  // namespace
}  // namespace gui
