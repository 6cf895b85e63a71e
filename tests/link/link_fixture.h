// Fixtures of the printer link's integration tests: a slot pointed at a simulated printer,
// an exchange helper and a clock that tests can read and move.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/slots.h"
#include "fake_clock.h"
#include "host_fixture.h"
#include "ktsim/simulator.h"

namespace nypr::test {

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
  std::string logText();

  std::string logPath_;
};

}  // namespace nypr::test
