// Posting window messages from other threads: every message arrives, in
// the order each thread posted it, on the user-interface thread.

#include <gtest/gtest.h>

#include <QThread>
#include <QWidget>
#include <atomic>
#include <map>
#include <thread>

#include "gui/dialog.h"
#include "gui/testing/testing.h"
#include "test_resources.h"
#include "gui/window.h"

namespace gui {
namespace {

constexpr UINT kFromThread = WM_USER + 0x1F5;

class Receiver : public Window {
 public:
  // Touched only on the user-interface thread, by the handler.
  std::map<WPARAM, std::vector<LPARAM>> byThread;
  int wrongThread = 0;
  int total = 0;

  Receiver() {
    attachWidget(new QWidget, nullptr);
    mapMessage(kFromThread, [this](WPARAM thread, LPARAM sequence) {
      if (QThread::currentThread() != widget()->thread()) ++wrongThread;
      byThread[thread].push_back(sequence);
      ++total;
      return LRESULT{0};
    });
  }
};

TEST(PostMessageFromThreads, EveryMessageArrivesInPostingOrderOnTheUiThread) {
  Receiver receiver;
  constexpr int kThreads = 4;
  constexpr int kPerThread = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&receiver, t] {
      for (int i = 0; i < kPerThread; ++i) ASSERT_TRUE(receiver.PostMessage(kFromThread, t, i));
    });
  }
  EXPECT_TRUE(testing::pumpUntil([&] { return receiver.total == kThreads * kPerThread; }, 20000));
  for (auto& thread : threads) thread.join();
  testing::pumpEvents();
  EXPECT_EQ(receiver.total, kThreads * kPerThread);
  EXPECT_EQ(receiver.wrongThread, 0);
  for (int t = 0; t < kThreads; ++t) {
    const auto& sequence = receiver.byThread[static_cast<WPARAM>(t)];
    ASSERT_EQ(sequence.size(), static_cast<std::size_t>(kPerThread));
    for (int i = 0; i < kPerThread; ++i) ASSERT_EQ(sequence[static_cast<std::size_t>(i)], i);
  }
}

TEST(PostMessageFromThreads, SendMessageFromAnotherThreadWaitsForTheUiThread) {
  Receiver receiver;
  receiver.mapMessage(WM_USER + 1, [&receiver](WPARAM w, LPARAM) {
    return static_cast<LRESULT>(QThread::currentThread() == receiver.widget()->thread() ? w * 2 : -1);
  });
  std::atomic<LRESULT> result{0};
  std::atomic<bool> done{false};
  std::thread sender([&] {
    result = receiver.SendMessage(WM_USER + 1, 21);
    done = true;
  });
  EXPECT_TRUE(testing::pumpUntil([&] { return done.load(); }, 20000));
  sender.join();
  EXPECT_EQ(result.load(), 42);
}

TEST(PostMessageFromThreads, PostingToAWindowThatGoesMeanwhileIsHarmless) {
  auto receiver = std::make_unique<Receiver>();
  const WindowHandle handle = receiver->handle();
  std::atomic<bool> stop{false};
  std::atomic<int> refused{0};
  Receiver* target = receiver.get();
  std::thread poster([&] {
    // The object outlives the thread; only its window goes while we post.
    while (!stop) {
      if (!target->PostMessage(kFromThread, 0, 0)) ++refused;
    }
  });
  testing::pumpUntil([&] { return target->total > 10; }, 20000);
  receiver->DestroyWindow();
  testing::pumpUntil([&] { return refused.load() > 0; }, 20000);
  stop = true;
  poster.join();
  testing::pumpEvents();
  EXPECT_GT(refused.load(), 0);
  EXPECT_TRUE(static_cast<bool>(handle));
}

TEST(PostMessageFromThreads, AnOpenDialogGetsCommandsPostedByAnotherThread) {
  // As a data-change callback on a server's thread asks the advise dialog to
  // redraw: the command runs on the user-interface thread while it is open.
  test::registerTestResources();
  class Redrawing : public Dialog {
   public:
    Redrawing() : Dialog(test::kConnectDialog) {
      mapCommand(101, [this] {
        if (QThread::currentThread() == widget()->thread()) ++redraws;
      });
    }
    std::atomic<int> redraws{0};
  } dialog;
  std::thread callbacks;
  testing::modalScript().expectDialog(test::kConnectDialog, [&](testing::DialogDriver& d) {
    callbacks = std::thread([&dialog] {
      for (int i = 0; i < 50; ++i) dialog.PostMessage(WM_COMMAND, 101);
    });
    EXPECT_TRUE(d.pumpUntil([&] { return dialog.redraws == 50; }, 20000));
    callbacks.join();
    d.press(IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_EQ(dialog.redraws, 50);
  // Once the window has gone, posting fails instead of reaching a dead dialog.
  EXPECT_FALSE(dialog.PostMessage(WM_COMMAND, 101));
}

}  // namespace
}  // namespace gui
