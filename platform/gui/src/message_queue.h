#pragma once

// The user-interface thread's queue of posted window messages. Any thread
// may post; the user-interface thread delivers the messages in the order
// they were posted, one batch each time its event loop (or a nested modal
// loop) runs. The queue wakes that loop through an eventfd watched by a
// socket notifier, so posting allocates nothing on behalf of Qt and every
// hand-over between threads goes through this queue's own lock.

#include <QPointer>
#include <deque>
#include <future>
#include <mutex>
#include <unordered_map>

#include "gui/types.h"
#include "gui/window_handle.h"

class QSocketNotifier;

namespace gui {

class Window;

class MessageQueue {
 public:
  static MessageQueue& instance();

  // User-interface thread: a window comes and goes.
  WindowHandle registerWindow(Window* window);
  void unregisterWindow(WindowHandle handle);
  Window* find(WindowHandle handle);

  // Any thread. False when the window does not exist.
  bool post(WindowHandle target, UINT message, WPARAM wParam, LPARAM lParam);
  // Another thread: queues the message and waits for its result (0 when the
  // window has gone before it was delivered).
  LRESULT sendAndWait(WindowHandle target, UINT message, WPARAM wParam, LPARAM lParam);

  // User-interface thread: delivers the messages queued so far.
  void deliverPending();

 private:
  struct Message {
    WindowHandle target;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::promise<LRESULT>* reply;  // set for messages sent from another thread
  };

  MessageQueue();
  ~MessageQueue();
  void wake();
  void ensureNotifier();

  std::mutex mutex_;  // guards queue_, windows_ and nextHandle_
  std::deque<Message> queue_;
  std::unordered_map<WindowHandle, Window*> windows_;
  std::uint64_t nextHandle_ = 1;
  int eventFd_ = -1;
  QPointer<QSocketNotifier> notifier_;  // user-interface thread only
};

// Whether the caller runs on the thread that owns the application object.
bool isUiThread();

}  // namespace gui
