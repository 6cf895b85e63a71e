// A clock for tests: sleeping advances the tick at once, and an optional hook sees each
// sleep (to hold a search at a known point). The dialog and clock tests use it too.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "platform/clock.h"

namespace nypr::testing {

class FakeClock {
 public:
  explicit FakeClock(uint32_t start = 1000) : now_(start) {
    hooks_ = {&FakeClock::tick, &FakeClock::sleep, this};
    platform::setClockForTesting(&hooks_);
  }
  ~FakeClock() { platform::setClockForTesting(nullptr); }
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  uint32_t now() const { return now_.load(); }
  void advance(uint32_t ms) { now_ += ms; }
  int sleeps() const { return sleeps_.load(); }
  uint32_t sleptMs() const { return slept_.load(); }
  // Called (on the sleeping thread) after each sleep has advanced the clock.
  void onSleep(std::function<void(uint32_t ms)> hook) { hook_ = std::move(hook); }

 private:
  static uint32_t tick(void* user) { return static_cast<FakeClock*>(user)->now_.load(); }
  static void sleep(void* user, uint32_t ms) {
    auto* self = static_cast<FakeClock*>(user);
    self->now_ += ms;
    self->slept_ += ms;
    ++self->sleeps_;
    if (self->hook_) self->hook_(ms);
  }

  platform::ClockHooks hooks_{};
  std::atomic<uint32_t> now_;
  std::atomic<uint32_t> slept_{0};
  std::atomic<int> sleeps_{0};
  std::function<void(uint32_t)> hook_;
};

}  // namespace nypr::testing
