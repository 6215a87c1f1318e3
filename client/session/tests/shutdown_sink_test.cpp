// The shutdown sink: its interfaces and reference count, and what a
// server's request, arriving on one of the server's threads, posts to the
// main window.

#include <gtest/gtest.h>

#include <QWidget>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gui/testing/testing.h"
#include "gui/window.h"
#include "opc/common.h"
#include "session/server_messages.h"
#include "session/shutdown_sink.h"

namespace {

// A window that records the reasons of the shutdown messages it receives
// and frees them, as the main window does.
class ReceivingWindow : public gui::Window {
 public:
  struct Received {
    gui::WPARAM wParam;
    std::optional<std::string> reason;
  };
  std::vector<Received> received;

  ReceivingWindow() {
    attachWidget(new QWidget, nullptr);
    mapMessage(WM_SERVER_SHUTDOWN, [this](gui::WPARAM wParam, gui::LPARAM lParam) {
      auto* reason = reinterpret_cast<char*>(lParam);
      received.push_back({wParam, reason != nullptr ? std::optional<std::string>(reason) : std::nullopt});
      std::free(reason);
      return gui::LRESULT{0};
    });
  }
};

TEST(ShutdownSink, AnswersIUnknownAndIOPCShutdownOnly) {
  auto* sink = new CShutdownSink(WM_SERVER_SHUTDOWN, {});
  EXPECT_EQ(sink->AddRef(), 1u);
  void* answer = nullptr;
  EXPECT_EQ(sink->QueryInterface(IID_IUnknown, &answer), S_OK);
  EXPECT_EQ(answer, static_cast<IOPCShutdown*>(sink));
  EXPECT_EQ(sink->QueryInterface(IID_IOPCShutdown, &answer), S_OK);
  EXPECT_EQ(answer, static_cast<IOPCShutdown*>(sink));
  answer = sink;
  EXPECT_EQ(sink->QueryInterface(IID_IOPCCommon, &answer), E_NOINTERFACE);
  EXPECT_EQ(answer, nullptr);
  EXPECT_EQ(sink->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(sink->Release(), 2u);
  EXPECT_EQ(sink->Release(), 1u);
  EXPECT_EQ(sink->Release(), 0u);  // destroyed: a leak would show in the sanitizer build
}

TEST(ShutdownSink, PostsACopyOfEachReasonFromTheServersThread) {
  ReceivingWindow window;
  auto* sink = new CShutdownSink(WM_SERVER_SHUTDOWN, window.handle());
  sink->AddRef();
  std::thread server([sink] {
    EXPECT_EQ(sink->ShutdownRequest(u"Maintenance at noon"), S_OK);
    EXPECT_EQ(sink->ShutdownRequest(nullptr), S_OK);
    EXPECT_EQ(sink->ShutdownRequest(u"Wartung \u2013 gr\u00FC\u00DFe"), S_OK);
  });
  server.join();
  sink->Release();
  EXPECT_TRUE(gui::testing::pumpUntil([&] { return window.received.size() == 3; }));
  ASSERT_EQ(window.received.size(), 3u);
  EXPECT_EQ(window.received[0].reason, "Maintenance at noon");
  EXPECT_EQ(window.received[1].reason, std::nullopt);
  EXPECT_EQ(window.received[2].reason, "Wartung \xE2\x80\x93 gr\xC3\xBC\xC3\x9F" "e");
  for (const auto& message : window.received) EXPECT_EQ(message.wParam, 0u);
}

TEST(ShutdownSink, ARequestForAWindowThatHasGoneIsDropped) {
  ReceivingWindow window;
  auto* sink = new CShutdownSink(WM_SERVER_SHUTDOWN, window.handle());
  sink->AddRef();
  window.DestroyWindow();
  // The copy of the reason has nobody to receive it and is freed again.
  EXPECT_EQ(sink->ShutdownRequest(u"Nobody listens"), S_OK);
  sink->Release();
  gui::testing::pumpEvents();
  EXPECT_TRUE(window.received.empty());
}

}  // namespace
