// Printers of a test network answering the search in turn.
#pragma once

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "test_network.h"
#include "test_responder.h"

namespace nypr::testing {

// Printers answering in turn: printer i replies only after printer i-1 did, with a gap,
// so the replies arrive in printer order.
class OrderedPrinters {
 public:
  OrderedPrinters(const TestNetwork& net, std::vector<std::vector<std::string>> replies)
      : replies_(std::move(replies)) {
    for (size_t i = 0; i < replies_.size(); ++i) {
      auto bound = std::make_shared<std::promise<bool>>();
      ready_.push_back(bound->get_future());
      threads_.push_back(net.startAsPrinter(static_cast<int>(i), [this, i, bound] {
        answerSearch(
            replies_[i], [bound](bool ok) { bound->set_value(ok); }, [this, i] { waitTurn(i); });
        std::lock_guard lock(mutex_);
        ++done_;
        cv_.notify_all();
      }));
    }
  }
  ~OrderedPrinters() {
    for (std::thread& t : threads_) t.join();
  }
  bool allBound() {
    bool ok = true;
    for (auto& f : ready_) ok = f.get() && ok;
    return ok;
  }

 private:
  void waitTurn(size_t i) {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return done_ >= i; });
    lock.unlock();
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }

  std::vector<std::vector<std::string>> replies_;
  std::vector<std::future<bool>> ready_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable cv_;
  size_t done_ = 0;
};

}  // namespace nypr::testing
