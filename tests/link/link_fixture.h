// Fixtures of the printer link's integration tests: a slot pointed at a simulated printer,
// an exchange helper and a clock that tests can read and move.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/slots.h"
#include "host_fixture.h"
#include "ktsim/simulator.h"
#include "platform/clock.h"

namespace nypr::test {

// Replaces the driver's tick and sleep while it lives: sleeps are recorded and move the
// tick on, so pauses are checked without waiting for them.
class FakeClock {
 public:
  FakeClock() { platform::setClockForTesting(&hooks_); }
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
  std::vector<uint32_t> takeSleeps() {
    std::lock_guard lock(mutex_);
    return std::exchange(sleeps_, {});
  }

 private:
  static uint32_t tick(void* user) { return static_cast<FakeClock*>(user)->now(); }
  static void sleep(void* user, uint32_t ms) {
    auto* self = static_cast<FakeClock*>(user);
    std::lock_guard lock(self->mutex_);
    self->sleeps_.push_back(ms);
    self->now_ += ms;
  }

  mutable std::mutex mutex_;
  uint32_t now_ = 100000;
  std::vector<uint32_t> sleeps_;
  platform::ClockHooks hooks_{&FakeClock::tick, &FakeClock::sleep, this};
};

// Points slot `n` at `sim` (both ports, its address), with no socket open.
void attachSlot(uint8_t n, const ktsim::Simulator& sim);
// Closes whatever the slot holds and forgets its address.
void detachSlot(uint8_t n);

// Frames `payload` into fresh buffers and runs KtSendRecvExFnI on slot n.
struct ExchangeResult {
  int result = 0;
  std::string answer;  // bytes received (RecvLen of them when result > 0)
};
ExchangeResult exchangeOnSlot(uint8_t n, const std::string& payload, int flags = 0, int isFin = 0,
                              int recvSize = 100);

// The frame bytes of a payload, as the driver must put them on the wire.
std::string wireFrame(const std::string& payload);

class LinkSimTest : public SimulatorTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  PrinterSlot& slot() { return stKtRSE[0]; }
  // Sends a frame on the slot's open command connection, outside any exchange: the
  // printer then has an earlier request to answer before the exchange's own.
  void sendEarlierRequest(const std::string& payload);
  // Waits until the simulator has accepted a connection and seen every one end.
  bool waitAllClosed();
  // A head check of dots 1..960 (SE_HeadCheckFnBL's result; the answer in `result`).
  int headCheck(char (&result)[217]);
  // A test print of pattern 0, one copy (KtTestPrintFnBL's result).
  int testPrint();
  std::string logText();

  std::string logPath_;
};

}  // namespace nypr::test
