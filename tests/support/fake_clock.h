// A clock that tests read and move: it replaces the driver's tick and sleep while it
// lives. Sleeps are recorded and move the tick on at once, so pauses are checked without
// waiting for them; `step` is added at every reading, for loops that must see time pass
// without anyone sleeping.
#pragma once

#include <cstdint>
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

 private:
  static uint32_t tick(void* user) {
    auto* self = static_cast<FakeClock*>(user);
    std::lock_guard lock(self->mutex_);
    return self->now_ += self->step_;
  }
  static void sleep(void* user, uint32_t ms) {
    auto* self = static_cast<FakeClock*>(user);
    std::lock_guard lock(self->mutex_);
    self->sleeps_.push_back(ms);
    self->now_ += ms;
  }

  mutable std::mutex mutex_;
  uint32_t now_;
  uint32_t step_ = 0;
  std::vector<uint32_t> sleeps_;
  platform::ClockHooks hooks_{&FakeClock::tick, &FakeClock::sleep, this};
};

}  // namespace nypr::test
