#include <atomic>
#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace nypr::platform {
namespace {

std::atomic<const ClockHooks*> g_hooks{nullptr};

}  // namespace

uint32_t tickCount() {
  if (const ClockHooks* hooks = g_hooks.load(std::memory_order_acquire)) {
    return hooks->tickCount(hooks->user);
  }
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  // Truncation is the point: the tick wraps like the Windows one.
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void sleepMs(uint32_t ms) {
  if (const ClockHooks* hooks = g_hooks.load(std::memory_order_acquire)) {
    hooks->sleepMs(hooks->user, ms);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void setClockForTesting(const ClockHooks* hooks) {
  g_hooks.store(hooks, std::memory_order_release);
}

}  // namespace nypr::platform
