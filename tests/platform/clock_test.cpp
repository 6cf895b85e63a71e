// The tick wraps like the Windows tick count and can be replaced for tests.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include "fake_clock.h"

using namespace nypr::platform;

namespace {

// That an injected clock drives the ticks and the sleeps: the dialog timer cases
// (DialogRuntime) and the network search's pause (PrinterSearch).
TEST(Clock, TickWrapsPastZeroKeepingTheDifference) {
  nypr::test::FakeClock fake(0xFFFFFFF0u);
  const uint32_t start = tickCount();
  sleepMs(50);
  const uint32_t end = tickCount();
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
