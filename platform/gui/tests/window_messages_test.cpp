// Window messages and timers on the user-interface thread: order of posted
// messages, mapped handlers, commands, timers by id, and what happens to
// messages for a window that has gone.

#include <gtest/gtest.h>

#include <QWidget>

#include "gui/testing/testing.h"
#include "gui/window.h"

namespace gui {
namespace {

constexpr UINT kFirst = WM_USER + 1;
constexpr UINT kSecond = WM_USER + 2;

class RecordingWindow : public Window {
 public:
  struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Message&) const = default;
  };
  std::vector<Message> received;
  std::vector<UINT_PTR> timers;

  RecordingWindow() {
    attachWidget(new QWidget, nullptr);
    for (UINT message : {kFirst, kSecond}) {
      mapMessage(message, [this, message](WPARAM w, LPARAM l) {
        received.push_back({message, w, l});
        return static_cast<LRESULT>(w + 1);
      });
    }
    mapCommand(42, [this] { received.push_back({WM_COMMAND, 42, 0}); });
  }
  void OnTimer(UINT_PTR id) override { timers.push_back(id); }
};

TEST(WindowMessages, PostedMessagesArriveInOrderOnlyWhenTheLoopRuns) {
  RecordingWindow window;
  EXPECT_TRUE(window.PostMessage(kFirst, 1, 10));
  EXPECT_TRUE(window.PostMessage(WM_COMMAND, 42));
  EXPECT_TRUE(window.PostMessage(kSecond, 2, -20));
  EXPECT_TRUE(window.received.empty());
  testing::pumpEvents();
  EXPECT_EQ(window.received, (std::vector<RecordingWindow::Message>{
                                 {kFirst, 1, 10}, {WM_COMMAND, 42, 0}, {kSecond, 2, -20}}));
}

TEST(WindowMessages, SendMessageDeliversAtOnceAndReturnsTheResult) {
  RecordingWindow window;
  EXPECT_EQ(window.SendMessage(kFirst, 41, 0), 42);
  EXPECT_EQ(window.received.size(), 1u);
  EXPECT_EQ(window.SendMessage(WM_USER + 99), 0);  // nobody handles it
}

TEST(WindowMessages, AMessageThatRepostsItselfLetsOthersThrough) {
  // A handler that waits for something by posting itself again must not
  // starve the messages posted after it.
  RecordingWindow window;
  int reposts = 0;
  window.mapMessage(kFirst, [&](WPARAM, LPARAM) {
    if (window.received.empty() && ++reposts < 100) window.PostMessage(kFirst);
    return LRESULT{0};
  });
  window.PostMessage(kFirst);
  window.PostMessage(kSecond);
  EXPECT_TRUE(testing::pumpUntil([&] { return !window.received.empty(); }));
  EXPECT_LE(reposts, 3);
}

TEST(WindowMessages, MessagesForADestroyedWindowAreDropped) {
  RecordingWindow window;
  window.PostMessage(kFirst);
  window.DestroyWindow();
  testing::pumpEvents();
  EXPECT_TRUE(window.received.empty());
  EXPECT_FALSE(window.PostMessage(kFirst));
}

TEST(WindowTimers, TimersFireByIdUntilKilled) {
  RecordingWindow window;
  EXPECT_EQ(window.SetTimer(5, 10), 5u);
  EXPECT_EQ(window.SetTimer(7, 15), 7u);
  EXPECT_TRUE(testing::pumpUntil([&] {
    return std::count(window.timers.begin(), window.timers.end(), 5u) >= 2 &&
           std::count(window.timers.begin(), window.timers.end(), 7u) >= 1;
  }));
  EXPECT_TRUE(window.KillTimer(5));
  EXPECT_FALSE(window.KillTimer(5));
  EXPECT_FALSE(window.hasTimer(5));
  window.timers.clear();
  EXPECT_TRUE(testing::pumpUntil([&] { return window.timers.size() >= 3; }));
  EXPECT_EQ(std::count(window.timers.begin(), window.timers.end(), 5u), 0);
}

TEST(WindowTimers, SettingATimerAgainRestartsItAndTimersEndWithTheWindow) {
  RecordingWindow window;
  window.SetTimer(5, 10000);
  window.SetTimer(5, 10);  // same id: the new period replaces the old one
  EXPECT_TRUE(testing::pumpUntil([&] { return !window.timers.empty(); }, 2000));
  window.DestroyWindow();
  EXPECT_FALSE(window.hasTimer(5));
  EXPECT_EQ(window.SetTimer(6, 10), 0u);  // no window, no timer
}

}  // namespace
}  // namespace gui
