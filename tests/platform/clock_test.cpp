// The tick wraps like the Windows tick count and can be replaced for tests.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include "fake_clock.h"

using namespace nypr::platform;

namespace {

TEST(Clock, InjectedClockDrivesTicksAndSleeps) {
  uint32_t start = 0;
  uint32_t end = 0;
  {
    nypr::test::FakeClock fake(0xFFFFFFF0u);
    start = tickCount();
    sleepMs(50);
    end = tickCount();
    EXPECT_EQ(fake.sleptMs(), 50u);
  }
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
