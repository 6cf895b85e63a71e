// Fault switches the driver's tests do not reach: how often a fault fires, other numbers
// and another model's header in answers, and matching by port and connection. Closing,
// resetting, holding back and splitting answers are checked through the driver's link.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "sim_fixture.h"

// Faults name only what differs from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using namespace std::chrono_literals;
using ktsim::Fault;
using ktsim::FaultAction;
using simtest::Client;

using SimFaults = simtest::SimFixture;

TEST_F(SimFaults, WrongCodeIsAnsweredTheGivenNumberOfTimes) {
  const int id = sim_.addFault(
      {.code = "BZS", .times = 2, .action = FaultAction::WrongCode, .answerCode = "LER"});
  Client c = connect();
  EXPECT_EQ(c.exchange("2S200BZS"), "2S200LER0");
  EXPECT_EQ(c.exchange("2S200BZS"), "2S200LER0");
  EXPECT_EQ(c.exchange("2S200BZS"), "2S200BZR0");
  EXPECT_EQ(sim_.faultHits(id), 2);
  // Other codes were never touched.
  EXPECT_EQ(c.exchange("2S200LES"), "2S200LER0");
}

TEST_F(SimFaults, FailureFlagsStatusNumbersAndAnotherModelsHeaderInAnswers) {
  for (const char* code : {"STS", "PSP", "DTI"}) {
    sim_.addFault({.code = code, .action = FaultAction::FailureFlag});
  }
  sim_.addFault({.code = "PRS", .action = FaultAction::Status, .number = 32});
  sim_.addFault({.code = "FES", .action = FaultAction::WrongParameter, .number = 21});
  sim_.addFault({.code = "CTS", .action = FaultAction::Status, .number = 7});

  Client c = connect();
  EXPECT_EQ(c.exchange("2S200STS")[42], '1');
  EXPECT_EQ(c.exchange("2S200PSP"), "2S200PSR1");
  EXPECT_EQ(c.exchange(simtest::prsPayload(16, 5, 1)).substr(8, 3), "032");
  EXPECT_EQ(c.exchange("2S200FES" + simtest::prsPayload(16, 5, 1).substr(8)).substr(11), "1021");
  EXPECT_EQ(c.exchange("2S200DTI0000" + std::string(5 * 122, '0')), "2S200DTR01");
  EXPECT_EQ(c.exchange("2S200CTS"), "2S200CTR7");

  sim_.clearFaults();
  sim_.addFault({.code = "STS", .action = FaultAction::OtherHeader, .header = "1F200"});
  EXPECT_EQ(c.exchange("2S200STS").substr(0, 8), "1F200STR");
}

TEST_F(SimFaults, FaultsMatchPortAndConnection) {
  sim_.addFault({.code = "GMS",
                 .port = ktsim::Port::Finish,
                 .times = -1,
                 .action = FaultAction::FailureFlag});
  Client cmd = connect(ktsim::Port::Command);
  Client fin = connect(ktsim::Port::Finish);
  EXPECT_EQ(cmd.exchange("2S200GMS0000000000")[20], '0');
  EXPECT_EQ(fin.exchange("2S200GMS0000000000")[20], '1');
  EXPECT_EQ(fin.exchange("2S200GMS0000000000")[20], '1');

  sim_.clearFaults();
  ASSERT_TRUE(sim_.waitForConnections(ktsim::Port::Command, 1, 5s));
  Client other = connect();
  ASSERT_EQ(other.exchange("2S200BZS"), "2S200BZR0");
  const uint64_t otherId = sim_.receivedFrames("BZS").back().connection;
  sim_.addFault(
      {.code = "BZS", .connection = otherId, .times = -1, .action = FaultAction::FailureFlag});
  EXPECT_EQ(cmd.exchange("2S200BZS"), "2S200BZR0");
  EXPECT_EQ(other.exchange("2S200BZS"), "2S200BZR1");
}

}  // namespace
