// The one seam for modal interactions: scripted dialogs, nested dialogs,
// message boxes, pop-up menus, the last-active-pop-up chain, and the
// failures a test gets for modal interactions it did not expect.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QMenu>

#include "gui/application.h"
#include "gui/dialog.h"
#include "gui/frame_window.h"
#include "gui/menu.h"
#include "gui/message_box.h"
#include "gui/modal_stack.h"
#include "gui/testing/testing.h"
#include "test_resources.h"

namespace gui {
namespace {

using testing::DialogDriver;
using testing::modalScript;
using testing::PopupMenuDriver;

// A dialog with two text members, exchanged with controls 2001 and 1059.
class ConnectDialog : public Dialog {
 public:
  explicit ConnectDialog(Window* owner = nullptr) : Dialog(test::kConnectDialog, owner) {
    mapCommand(2035, &ConnectDialog::OnBrowse);
  }
  QString server = "Pelkor.DataSample";
  QString machine;
  int browsed = 0;
  int initCalls = 0;
  int destroyCalls = 0;

 protected:
  bool OnInitDialog() override {
    ++initCalls;
    return Dialog::OnInitDialog();
  }
  void DoDataExchange(DataExchange& dx) override {
    dx.text(2001, server);
    dx.text(1059, machine);
  }
  void OnDestroy() override { ++destroyCalls; }
  void OnBrowse() {
    ++browsed;
    ConnectDialog inner(this);
    inner.server = "Inner.Server";
    if (inner.DoModal() == IDOK) {
      server = inner.server;
      UpdateData(false);
    }
  }
};

class ModalSeamTest : public ::testing::Test {
 protected:
  void SetUp() override { test::registerTestResources(); }
};

TEST_F(ModalSeamTest, ScriptFillsTheRealControlsAndPressesOk) {
  ConnectDialog dialog;
  modalScript().expectDialog(test::kConnectDialog, [](DialogDriver& d) {
    EXPECT_EQ(d.text(2001), "Pelkor.DataSample");  // OnInitDialog filled the controls
    EXPECT_EQ(d.text(1059), "");
    d.setText(1059, "plant-7");
    d.press(IDOK);
    EXPECT_TRUE(d.ended());
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.machine, "plant-7");
  EXPECT_EQ(dialog.initCalls, 1);
  EXPECT_EQ(dialog.destroyCalls, 1);
  EXPECT_FALSE(dialog.IsWindow());  // the window goes, the object and its members stay
  EXPECT_EQ(ModalStack::instance().size(), 0);
}

TEST_F(ModalSeamTest, CancelEscapeAndCloseBoxLeaveTheMembersAlone) {
  const std::function<void(DialogDriver&)> endings[] = {
      [](DialogDriver& d) { d.press(IDCANCEL); },
      [](DialogDriver& d) { d.pressEscape(); },
      [](DialogDriver& d) { d.clickCloseBox(); },
  };
  for (const auto& ending : endings) {
    ConnectDialog dialog;
    modalScript().expectDialog(test::kConnectDialog, [&](DialogDriver& d) {
      d.setText(2001, "Changed");
      ending(d);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.server, "Pelkor.DataSample");
  }
}

TEST_F(ModalSeamTest, NestedDialogsRunInsideTheirOwner) {
  ConnectDialog dialog;
  modalScript().expectDialog(test::kConnectDialog, [](DialogDriver& outer) {
    // The inner dialog's script is queued from inside the outer one.
    modalScript().expectDialog(test::kConnectDialog, [](DialogDriver& inner) {
      EXPECT_EQ(inner.text(2001), "Inner.Server");
      EXPECT_EQ(ModalStack::instance().size(), 2);
      inner.setText(2001, "Chosen.Server");
      inner.press(IDOK);
    });
    outer.press(2035);
    EXPECT_EQ(outer.text(2001), "Chosen.Server");
    outer.press(IDOK);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.browsed, 1);
  EXPECT_EQ(dialog.server, "Chosen.Server");
  EXPECT_EQ(modalScript().dialogsShown(), (std::vector<UINT>{test::kConnectDialog, test::kConnectDialog}));
}

TEST_F(ModalSeamTest, MessageBoxesAreAnsweredAndRecorded) {
  struct Case {
    UINT type;
    int answer;
  };
  const Case cases[] = {
      {MB_OK | MB_ICONINFORMATION, IDOK},
      {MB_YESNO | MB_ICONQUESTION, IDNO},
      {MB_OKCANCEL | MB_ICONWARNING, IDCANCEL},
      {MB_YESNOCANCEL | MB_ICONERROR, IDYES},
  };
  for (const Case& c : cases) {
    modalScript().expectMessageBox(c.answer, QString("Text %1").arg(c.type));
    EXPECT_EQ(MessageBox(QString("Text %1").arg(c.type), c.type), c.answer);
  }
  const auto& shown = modalScript().messageBoxes();
  ASSERT_EQ(shown.size(), std::size(cases));
  EXPECT_EQ(shown[1].icon(), MB_ICONQUESTION);
  EXPECT_EQ(shown[1].buttons(), MB_YESNO);
  EXPECT_EQ(shown[3].icon(), MB_ICONERROR);
  // Without a caption of its own a box shows the application's name.
  EXPECT_EQ(shown[0].caption, Application::appName());
  EXPECT_EQ(shown[0].caption, "gui_modal_seam_test");
}

TEST_F(ModalSeamTest, ScriptCanExpectThePromptItsOwnButtonCauses) {
  // A dialog whose OK asks first; the script queues the answer it needs.
  class Asking : public Dialog {
   public:
    Asking() : Dialog(test::kConnectDialog) {}
    void OnOK() override {
      if (gui::MessageBox("Really connect?", MB_YESNO | MB_ICONQUESTION) == IDYES) EndDialog(IDOK);
    }
  } dialog;
  modalScript().expectDialog(test::kConnectDialog, [](DialogDriver& d) {
    modalScript().expectMessageBox(IDNO, QString("Really connect?"));
    modalScript().expectMessageBox(IDYES, QString("Really connect?"));
    d.press(IDOK);
    EXPECT_FALSE(d.ended());
    d.press(IDOK);
    EXPECT_TRUE(d.ended());
  });
  // Queued before the script runs, yet met after the prompts the script queued.
  modalScript().expectMessageBox(IDOK, QString("After the dialog"));
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(gui::MessageBox("After the dialog"), IDOK);
}

TEST_F(ModalSeamTest, UnexpectedModalInteractionsFailTheTestAndAreCancelled) {
  EXPECT_NONFATAL_FAILURE(
      {
        ConnectDialog dialog;
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
      },
      "Unexpected modal dialog 950");
  EXPECT_NONFATAL_FAILURE(EXPECT_EQ(gui::MessageBox("Surprise", MB_OKCANCEL), IDCANCEL),
                          "Unexpected message box");
  EXPECT_NONFATAL_FAILURE(EXPECT_EQ(gui::MessageBox("Surprise"), IDOK), "Unexpected message box");
  EXPECT_NONFATAL_FAILURE(
      {
        modalScript().expectMessageBox(IDOK);
        ConnectDialog dialog;
        dialog.DoModal();  // a box was expected, not a dialog
        gui::MessageBox("Now the box");
      },
      "next expected: a message box");
}

TEST_F(ModalSeamTest, ExpectationsNeverMetFailAtTheEnd) {
  modalScript().expectDialog(test::kNestingDialog, [](DialogDriver& d) { d.press(IDOK); });
  EXPECT_NONFATAL_FAILURE(modalScript().verifyAndReset(), "Expected dialog 952, which never appeared");
}

TEST_F(ModalSeamTest, DialogLeftOpenByItsScriptFailsAndIsCancelled) {
  ConnectDialog dialog;
  modalScript().expectDialog(test::kConnectDialog, [](DialogDriver& d) { d.setText(2001, "x"); });
  EXPECT_NONFATAL_FAILURE(EXPECT_EQ(dialog.DoModal(), IDCANCEL), "still open after its script");
}

TEST_F(ModalSeamTest, GreyedButtonsCannotBePressed) {
  class Greyed : public Dialog {
   public:
    Greyed() : Dialog(test::kConnectDialog) {}
    bool OnInitDialog() override {
      button(IDOK).EnableWindow(false);
      return Dialog::OnInitDialog();
    }
  } dialog;
  modalScript().expectDialog(test::kConnectDialog, [](DialogDriver& d) {
    EXPECT_FALSE(d.isEnabled(IDOK));
    EXPECT_NONFATAL_FAILURE(d.press(IDOK), "is greyed");
    d.press(IDCANCEL);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(ModalSeamTest, DialogEndedByOnInitDialogIsNotRun) {
  class Refusing : public Dialog {
   public:
    Refusing() : Dialog(test::kConnectDialog) {}
    bool OnInitDialog() override {
      gui::MessageBox("Cannot write arrays");
      EndDialog(IDCANCEL);
      return true;
    }
  } dialog;
  modalScript().expectMessageBox(IDOK, QString("Cannot write arrays"));
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(modalScript().dialogsShown().empty());
}

// A frame whose handler for a posted message cancels every open pop-up, the
// innermost first, through the last-active-pop-up chain.
class ShutdownFrame : public FrameWindow {
 public:
  static constexpr UINT kShutdown = WM_USER + 0x1F5;
  std::vector<UINT> cancelled;
  ShutdownFrame() { mapMessage(kShutdown, &ShutdownFrame::OnShutdown); }

 private:
  LRESULT OnShutdown(WPARAM, LPARAM) {
    for (Window* popup = GetLastActivePopup(); popup != this; popup = GetLastActivePopup()) {
      cancelled.push_back(static_cast<Dialog*>(popup)->templateId());
      popup->SendMessage(WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
  }
};

TEST_F(ModalSeamTest, PostedMessageCancelsOpenDialogsInnermostFirst) {
  ShutdownFrame frame;
  ASSERT_TRUE(frame.LoadFrame(test::kFrameId));
  EXPECT_EQ(frame.GetLastActivePopup(), &frame);

  class Opening : public Dialog {
   public:
    explicit Opening(Window* owner) : Dialog(test::kNestingDialog, owner) { mapCommand(3001, &Opening::OnOpen); }
    int innerResult = 0;
    void OnOpen() {
      ConnectDialog inner(this);
      innerResult = static_cast<int>(inner.DoModal());
    }
  } outer(&frame);

  modalScript().expectDialog(test::kNestingDialog, [&](DialogDriver& d) {
    modalScript().expectDialog(test::kConnectDialog, [&](DialogDriver& inner) {
      EXPECT_EQ(frame.GetLastActivePopup(), &inner.dialog());
      frame.PostMessage(ShutdownFrame::kShutdown);
      // The message arrives while both dialogs are open, as in a modal loop.
      EXPECT_TRUE(inner.pumpUntil([&] { return inner.ended(); }));
    });
    d.press(3001);
    EXPECT_TRUE(d.ended());  // cancelled by the same handler
  });
  EXPECT_EQ(outer.DoModal(), IDCANCEL);
  EXPECT_EQ(outer.innerResult, IDCANCEL);
  EXPECT_EQ(frame.cancelled, (std::vector<UINT>{test::kConnectDialog, test::kNestingDialog}));
  EXPECT_EQ(frame.GetLastActivePopup(), &frame);
  frame.DestroyWindow();
}

TEST_F(ModalSeamTest, PopupMenusAreScriptedAndSendTheChosenCommand) {
  class Target : public Window {
   public:
    Target() {
      attachWidget(new QWidget, nullptr);
      mapCommand(test::ID_TEST_A2, [this] { ++chosen; });
    }
    int chosen = 0;
  } target;

  Menu menu;
  ASSERT_TRUE(menu.LoadMenu(test::kFrameId));
  Menu session = menu.GetSubMenu(2);
  Menu interfaceA = session.GetSubMenu(3);
  ASSERT_FALSE(interfaceA.IsNull());
  modalScript().expectPopupMenu([](PopupMenuDriver& m) {
    EXPECT_EQ(m.commandTexts(), (std::vector<QString>{"A One", "A Two"}));
    m.choose("A &Two");
  });
  EXPECT_NE(interfaceA.TrackPopupMenu(TPM_RIGHTBUTTON, 10, 10, &target), 0u);
  EXPECT_EQ(target.chosen, 1);

  modalScript().expectPopupMenu([](PopupMenuDriver&) {});  // dismissed
  EXPECT_EQ(interfaceA.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &target), 0u);
  EXPECT_EQ(target.chosen, 1);
}

// A seam that notes how many interactions are running whenever it is asked
// to run one; a dialog opens a message box from inside, as dialogs do.
class CountingSeam : public ModalSeam {
 public:
  std::vector<int> counts;

  int runDialog(Dialog& dialog) override {
    counts.push_back(runningCount());
    MessageBox("From inside the dialog", MB_OK);
    dialog.EndDialog(IDOK);
    return IDOK;
  }
  int runMessageBox(const MessageBoxRequest&) override {
    counts.push_back(runningCount());
    return IDOK;
  }
  UINT runPopupMenu(const PopupMenuRequest&) override {
    counts.push_back(runningCount());
    return 0;
  }
};

TEST_F(ModalSeamTest, CountsTheInteractionsThatWaitForTheUserNestedOnesIncluded) {
  CountingSeam seam;
  ModalSeam::install(&seam);
  struct Restore {
    ~Restore() { ModalSeam::install(&modalScript()); }
  } restore;
  EXPECT_EQ(ModalSeam::runningCount(), 0);
  MessageBox("Alone", MB_OK);
  ConnectDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  Menu menu;
  ASSERT_TRUE(menu.LoadMenu(test::kFrameId));
  menu.GetSubMenu(2).TrackPopupMenu(TPM_RETURNCMD, 10, 10, nullptr);
  EXPECT_EQ(seam.counts, (std::vector<int>{1, 1, 2, 1}));
  EXPECT_EQ(ModalSeam::runningCount(), 0);
}

}  // namespace
}  // namespace gui
