// A clock that tests read and move: it replaces the driver's tick and sleep while it
// lives. Sleeps are recorded and move the tick on at once, so pauses are checked without
// waiting for them; `step` is added at every reading, for loops that must see time pass
// without anyone sleeping; a hook sees each sleep (to hold a search at a known point).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/clock.h"

namespace nypr::test {

class FakeClock {
 public:
  explicit FakeClock(uint32_t start = 1000000) : now_(start) {
    platform::setClockForTesting(&hooks_);
  }
  ~FakeClock() { platform::setClockForTesting(nullptr); }
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  void advance(uint32_t ms) {
    std::lock_guard lock(mutex_);
    now_ += ms;
  }
  uint32_t now() const {
    std::lock_guard lock(mutex_);
    return now_;
  }
  void setStep(uint32_t ms) {
    std::lock_guard lock(mutex_);
    step_ = ms;
  }
  // The sleeps since the last call, in order.
  std::vector<uint32_t> takeSleeps() {
    std::lock_guard lock(mutex_);
    return std::exchange(sleeps_, {});
  }
  int sleeps() const {
    std::lock_guard lock(mutex_);
    return sleepCount_;
  }
  uint32_t sleptMs() const {
    std::lock_guard lock(mutex_);
    return sleptMs_;
  }
  // Called on the sleeping thread after each sleep has moved the clock on.
  void onSleep(std::function<void(uint32_t ms)> hook) { hook_ = std::move(hook); }

 private:
  static uint32_t tick(void* user) {
    auto* self = static_cast<FakeClock*>(user);
    std::lock_guard lock(self->mutex_);
    return self->now_ += self->step_;
  }
  static void sleep(void* user, uint32_t ms) {
    auto* self = static_cast<FakeClock*>(user);
    {
      std::lock_guard lock(self->mutex_);
      self->sleeps_.push_back(ms);
      self->now_ += ms;
      self->sleptMs_ += ms;
      ++self->sleepCount_;
    }
    // Outside the lock: the hook may move the clock itself.
    if (self->hook_) self->hook_(ms);
  }

  mutable std::mutex mutex_;
  uint32_t now_;
  uint32_t step_ = 0;
  std::vector<uint32_t> sleeps_;
  int sleepCount_ = 0;
  uint32_t sleptMs_ = 0;
  std::function<void(uint32_t)> hook_;
  platform::ClockHooks hooks_{&FakeClock::tick, &FakeClock::sleep, this};
};

}  // namespace nypr::test
