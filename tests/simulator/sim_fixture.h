// A started simulator and plain socket clients to it, for the tests of its commands,
// faults and framing.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ktsim/simulator.h"
#include "sim_client.h"

namespace simtest {

inline std::string num(int v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, v);
  return buf;
}

inline std::string settingsRecord() {
  std::string s(168, '0');
  s.replace(132, 4, "0960");
  return s;
}

// Print conditions: width, length, gap, two conditions, five flags, position adjustment,
// copies, settings.
inline std::string prsPayload(int widthDots, int lengthDots, int copies) {
  return "2S200PRS" + num(widthDots, 4) + num(lengthDots, 4) + "024" + "100" + "010" + "00000" +
         "-05" + "003" + num(copies, 4) + settingsRecord();
}

class SimFixture : public ::testing::Test {
 protected:
  void SetUp() override { sim_.start(); }

  uint16_t port(ktsim::Port p) const {
    return p == ktsim::Port::Command ? sim_.commandPort() : sim_.finishPort();
  }
  // A connection to the port (the test fails when there is none).
  Client connect(ktsim::Port p = ktsim::Port::Command) {
    Client c;
    EXPECT_TRUE(c.connect(sim_.addressValue(), port(p)));
    return c;
  }
  // One request on a fresh connection, as the driver does it.
  std::string ask(const std::string& payload, ktsim::Port p = ktsim::Port::Command) {
    return exchangeOnce(sim_.addressValue(), port(p), payload);
  }

  ktsim::Simulator sim_;
};

}  // namespace simtest
