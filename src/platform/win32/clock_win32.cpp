// Windows backend of platform/clock.h: the system tick and Sleep.
#include <windows.h>

#include <atomic>

#include "platform/clock.h"

namespace nypr::platform {
namespace {
std::atomic<const ClockHooks*> g_hooks{nullptr};
}  // namespace

uint32_t tickCount() {
  if (const ClockHooks* hooks = g_hooks.load(std::memory_order_acquire)) {
    return hooks->tickCount(hooks->user);
  }
  return GetTickCount();
}

void sleepMs(uint32_t ms) {
  if (const ClockHooks* hooks = g_hooks.load(std::memory_order_acquire)) {
    hooks->sleepMs(hooks->user, ms);
    return;
  }
  Sleep(ms);
}

void setClockForTesting(const ClockHooks* hooks) {
  g_hooks.store(hooks, std::memory_order_release);
}

}  // namespace nypr::platform
