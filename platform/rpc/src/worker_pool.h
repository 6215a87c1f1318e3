#pragma once
// A fixed set of threads that run queued tasks in order of submission.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace rpc::detail {

class WorkerPool {
public:
  void start(size_t threads) {
    std::lock_guard lock(mutex_);
    stopping_ = false;
    for (size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { run(); });
  }

  void submit(std::function<void()> task) {
    {
      std::lock_guard lock(mutex_);
      tasks_.push_back(std::move(task));
    }
    ready_.notify_one();
  }

  // Runs what is queued, then ends the threads.
  void stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    ready_.notify_all();
    for (auto& thread : threads_) thread.join();
    threads_.clear();
  }

private:
  void run() {
    for (;;) {
      std::function<void()> task;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty()) return;
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      task();
    }
  }

  std::mutex mutex_;  // guards tasks_ and stopping_
  std::condition_variable ready_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace rpc::detail
