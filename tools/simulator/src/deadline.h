// Waits that a caller may give any length, ±2^63 ms included, without overflowing the
// clock: a negative length is no wait, a huge one ends after a century.
#pragma once

#include <algorithm>
#include <chrono>

#include "ktsim/simulator.h"

namespace ktsim::detail {

inline constexpr Millis kLongestWait = std::chrono::hours(24 * 365 * 100);

inline Millis boundedWait(Millis length) {
  return std::clamp(length, Millis(0), kLongestWait);
}

inline std::chrono::steady_clock::time_point deadlineAfter(Millis length) {
  return std::chrono::steady_clock::now() + boundedWait(length);
}

// a + b without overflow, each kept within a wait's bounds.
inline Millis addedWaits(Millis a, Millis b) {
  return boundedWait(a) + boundedWait(b);
}

}  // namespace ktsim::detail
