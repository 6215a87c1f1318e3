#pragma once
// Threads that run queued tasks in order of submission. The pool grows when a
// task finds no idle thread, up to a cap, because some tasks (reading a
// connection) block for as long as the connection is idle.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace rpc::detail {

class WorkerPool {
public:
  void start(size_t initialThreads, size_t maxThreads) {
    std::lock_guard lock(mutex_);
    stopping_ = false;
    maxThreads_ = std::max(initialThreads, maxThreads);
    for (size_t i = 0; i < initialThreads; ++i) threads_.emplace_back([this] { run(); });
  }

  void submit(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (idle_ < tasks_.size() && threads_.size() < maxThreads_) {
      threads_.emplace_back([this] { run(); });
    } else {
      ready_.notify_one();
    }
  }

  // Runs what is queued (and what those tasks queue), then ends the threads.
  void stop() {
    std::vector<std::thread> threads;
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    ready_.notify_all();
    // Tasks may start threads while the pool drains, so join until none is left.
    for (;;) {
      {
        std::lock_guard lock(mutex_);
        if (threads_.empty()) break;
        threads.swap(threads_);
      }
      for (auto& thread : threads) thread.join();
      threads.clear();
    }
  }

private:
  void run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      ++idle_;
      ready_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
      --idle_;
      if (tasks_.empty()) return;
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
      lock.lock();
    }
  }

  std::mutex mutex_;  // guards every member below
  std::condition_variable ready_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  size_t idle_ = 0;
  size_t maxThreads_ = 1;
  std::vector<std::thread> threads_;
};

}  // namespace rpc::detail
