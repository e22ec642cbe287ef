#pragma once
// A thread that runs its batch each time the measuring thread asks for one and
// sleeps in between, so that it takes no processor from the other side's batch.
// Ask() from one thread only; the destructor waits for the batch in hand.

#include <atomic>
#include <functional>
#include <thread>
#include <utility>

class BatchWorker {
 public:
  explicit BatchWorker(std::function<void()> batch)
      : batch_(std::move(batch)), thread_([this] {
          int done = 0;
          for (;;) {
            asked_.wait(done);
            const int asked = asked_.load();
            if (asked < 0) return;
            batch_();
            done = asked;
          }
        }) {}
  ~BatchWorker() {
    asked_ = -1;
    asked_.notify_one();
    thread_.join();
  }
  BatchWorker(const BatchWorker&) = delete;
  BatchWorker& operator=(const BatchWorker&) = delete;
  void Ask() {
    ++asked_;
    asked_.notify_one();
  }

 private:
  std::function<void()> batch_;
  std::atomic<int> asked_{0};
  std::thread thread_;
};
