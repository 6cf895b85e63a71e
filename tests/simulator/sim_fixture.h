// A started simulator and plain socket clients to it, for the tests of its commands,
// faults and framing.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ktsim/simulator.h"
#include "sim_client.h"

namespace simtest {

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
