// A server's shutdown request while dialogs are open: they are cancelled
// innermost first, the client disconnects, and only then does the notice
// appear, with the server's reason when it gave one.

#include <QDir>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "dialogs/about_box.h"
#include "quillon_fixture.h"
#include "resources/resource_ids.h"
#include "session/server_messages.h"
#include "testing/scratch_registry.h"

namespace quillon::testing {
namespace {

using gui::testing::DialogDriver;
using gui::testing::modalScript;

// An About box that notes when it is cancelled.
class NotingDialog : public CAboutBox {
 public:
  NotingDialog(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}

 protected:
  void OnCancel() override {
    log_->push_back(name_ + " cancelled");
    CAboutBox::OnCancel();
  }

 private:
  std::vector<std::string>* log_;
  std::string name_;
};

class ShutdownTest : public QuillonTest {
 protected:
  void SetUp() override {
    QuillonTest::SetUp();
    // A file left over would be no request for a server that starts now.
    QDir().remove(QString::fromStdString(ScratchRegistry::shutdownRequestFile()));
  }

  // What a user (or an operator script) does to make the server ask.
  static void requestShutdown(const char* reason) {
    std::ofstream(ScratchRegistry::shutdownRequestFile(), std::ios::trunc) << reason;
  }

  // Opens two dialogs, one over the other; the inner one waits for the
  // server's request to close them. Then the notice is expected.
  void openDialogsUntilTheServerAsks(const char* reason, const char* notice) {
    modalScript().expectDialog(IDD_ABOUTBOX, [&](DialogDriver&) {
      modalScript().expectDialog(IDD_ABOUTBOX, [&](DialogDriver& inner) {
        requestShutdown(reason);
        EXPECT_TRUE(inner.pumpUntil([&] { return inner.ended(); }));
        EXPECT_EQ(inner.result(), gui::IDCANCEL);
      });
      NotingDialog inner(&log, "inner");
      inner.DoModal();
    });
    modalScript().expectMessageBox(gui::IDOK, notice);
    NotingDialog outer(&log, "outer");
    EXPECT_EQ(outer.DoModal(), gui::IDCANCEL);
  }

  std::vector<std::string> log;
};

TEST_F(ShutdownTest, ClosesOpenDialogsDisconnectsAndThenShowsTheReason) {
  struct Case {
    const char* reason;
    const char* notice;
  };
  const Case cases[] = {
      {"Maintenance at noon", "The server requested that you disconnect.\nReason: Maintenance at noon"},
      {"", "The server requested that you disconnect."},  // an empty request file gives no reason
  };
  startConnected();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.notice);
    log.clear();
    if (frame->session().GetServer() == nullptr) connect(answer("Pelkor.DataSample"));
    ASSERT_TRUE(frame->shutdownConnection().IsAdvised());

    openDialogsUntilTheServerAsks(c.reason, c.notice);
    EXPECT_EQ(log, (std::vector<std::string>{"inner cancelled", "outer cancelled"}));
    ASSERT_TRUE(gui::testing::pumpUntil([] { return modalScript().pendingCount() == 0; }));
    EXPECT_EQ(modalScript().messageBoxes().back().icon(), gui::MB_ICONINFORMATION);
    modalScript().verifyAndReset();
    EXPECT_EQ(frame->session().GetServer(), nullptr);
    EXPECT_EQ(frame->GetWindowText(), "Quillon");
    QDir().remove(QString::fromStdString(ScratchRegistry::shutdownRequestFile()));
  }
}

TEST_F(ShutdownTest, TheNoticeWaitsUntilTheClientHasDisconnected) {
  startConnected();
  // A notice that arrives while the session still holds the server goes
  // back into the queue, the reason with it.
  frame->PostMessage(WM_SERVER_SHUTDOWN_NOTICE, 0, reinterpret_cast<gui::LPARAM>(strdup("Reconfiguring")));
  gui::testing::pumpEvents();
  gui::testing::pumpEvents();
  EXPECT_TRUE(modalScript().messageBoxes().empty());
  EXPECT_NE(frame->session().GetServer(), nullptr);

  modalScript().expectMessageBox(gui::IDOK, "The server requested that you disconnect.\nReason: Reconfiguring");
  EXPECT_TRUE(gui::testing::triggerAction(*frame, ID_DISCONNECT));
  EXPECT_TRUE(gui::testing::pumpUntil([] { return modalScript().pendingCount() == 0; }));
}

}  // namespace
}  // namespace quillon::testing
