// Millisecond tick and sleep, replaceable for tests.
//
// Contract:
// - tickCount(): a 32-bit millisecond counter that wraps after about 49.7 days, like the
//   Windows tick count. Compare ticks by unsigned difference (`now - then`), never by `<`.
// - sleepMs(ms): blocks the calling thread for at least `ms` milliseconds.
// - setClockForTesting(hooks): routes both through the given functions (null restores the
//   real clock). Tests use it to check pauses and time-outs without waiting; it is not
//   for production code.
#pragma once

#include <cstdint>

namespace nypr::platform {

uint32_t tickCount();
void sleepMs(uint32_t ms);

struct ClockHooks {
  uint32_t (*tickCount)(void* user);
  void (*sleepMs)(void* user, uint32_t ms);
  void* user;
};

void setClockForTesting(const ClockHooks* hooks);

}  // namespace nypr::platform
