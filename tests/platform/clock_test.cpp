// The tick wraps like the Windows tick count and can be replaced for tests.
#include "platform/clock.h"

#include <gtest/gtest.h>

using namespace nypr::platform;

namespace {

struct FakeClock {
  uint32_t now = 0xFFFFFFF0u;
  uint32_t slept = 0;
};

TEST(Clock, InjectedClockDrivesTicksAndSleeps) {
  FakeClock fake;
  ClockHooks hooks{[](void* u) { return static_cast<FakeClock*>(u)->now; },
                   [](void* u, uint32_t ms) {
                     auto* f = static_cast<FakeClock*>(u);
                     f->slept += ms;
                     f->now += ms;
                   },
                   &fake};
  setClockForTesting(&hooks);
  uint32_t start = tickCount();
  sleepMs(50);
  uint32_t end = tickCount();
  setClockForTesting(nullptr);
  EXPECT_EQ(fake.slept, 50u);
  EXPECT_LT(end, start);        // wrapped past zero...
  EXPECT_EQ(end - start, 50u);  // ...yet the unsigned difference is right
}

TEST(Clock, RealClockAdvances) {
  // The Windows tick moves in steps of up to 16 ms: sleep well past one step.
  uint32_t a = tickCount();
  sleepMs(40);
  EXPECT_GE(tickCount() - a, 20u);
}

}  // namespace
