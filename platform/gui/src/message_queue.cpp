#include "message_queue.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <sys/eventfd.h>
#include <unistd.h>

#include "gui/window.h"

namespace gui {

bool isUiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

MessageQueue& MessageQueue::instance() {
  static MessageQueue queue;
  return queue;
}

MessageQueue::MessageQueue() : eventFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

MessageQueue::~MessageQueue() {
  if (eventFd_ >= 0) ::close(eventFd_);
}

void MessageQueue::ensureNotifier() {
  if (notifier_ || eventFd_ < 0 || QCoreApplication::instance() == nullptr) return;
  // Parented to the application so that it goes with it.
  auto* notifier = new QSocketNotifier(eventFd_, QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this] {
    std::uint64_t count = 0;
    while (::read(eventFd_, &count, sizeof count) < 0 && errno == EINTR) {
    }
    deliverPending();
  });
  notifier_ = notifier;
}

WindowHandle MessageQueue::registerWindow(Window* window) {
  ensureNotifier();
  std::lock_guard lock(mutex_);
  const WindowHandle handle{nextHandle_++};
  windows_[handle] = window;
  return handle;
}

void MessageQueue::unregisterWindow(WindowHandle handle) {
  std::lock_guard lock(mutex_);
  windows_.erase(handle);
}

Window* MessageQueue::find(WindowHandle handle) {
  std::lock_guard lock(mutex_);
  const auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : it->second;
}

void MessageQueue::wake() {
  const std::uint64_t one = 1;
  // A full counter (never reached in practice) still leaves the fd readable.
  while (::write(eventFd_, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

bool MessageQueue::post(WindowHandle target, UINT message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard lock(mutex_);
    if (windows_.count(target) == 0) return false;
    queue_.push_back({target, message, wParam, lParam, nullptr});
  }
  wake();
  return true;
}

LRESULT MessageQueue::sendAndWait(WindowHandle target, UINT message, WPARAM wParam, LPARAM lParam) {
  std::promise<LRESULT> reply;
  std::future<LRESULT> result = reply.get_future();
  {
    std::lock_guard lock(mutex_);
    if (windows_.count(target) == 0) return 0;
    queue_.push_back({target, message, wParam, lParam, &reply});
  }
  wake();
  return result.get();
}

void MessageQueue::deliverPending() {
  std::size_t batch;
  {
    std::lock_guard lock(mutex_);
    batch = queue_.size();
  }
  // Only the messages queued so far: a handler that posts again (a message
  // that re-posts itself until some state changes) must let the event loop
  // run timers and paint in between.
  for (std::size_t i = 0; i < batch; ++i) {
    Message next;
    Window* window = nullptr;
    {
      std::lock_guard lock(mutex_);
      // A nested modal loop may have delivered part of this batch already.
      if (queue_.empty()) return;
      next = queue_.front();
      queue_.pop_front();
      const auto it = windows_.find(next.target);
      if (it != windows_.end()) window = it->second;
    }
    const LRESULT result = window == nullptr ? 0 : window->WindowProc(next.message, next.wParam, next.lParam);
    if (next.reply != nullptr) next.reply->set_value(result);
  }
  bool more;
  {
    std::lock_guard lock(mutex_);
    more = !queue_.empty();
  }
  if (more) wake();
}

void deliverPostedMessages() { MessageQueue::instance().deliverPending(); }

}  // namespace gui
