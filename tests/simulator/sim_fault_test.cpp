// Fault switches the driver's tests lean on without checking them: how often a fault
// fires, the failure flag and numbers in answers, and matching by port. Closing, resetting,
// holding back and splitting answers are checked through the driver's link.
#include <gtest/gtest.h>

#include <string>

#include "sim_fixture.h"

// Faults name only what differs from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

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

// The flag and numbers of the stop, print, raster and feed answers are read by the driver
// (CompletionTest.StopAnswersWhetherThePrinterStopped and .AFeedWithAWrongParameterIsNotWaitedFor,
// PrintLabelTest.PrinterFaultsDuringTheJob); here the status block's flag and the one-digit
// number of the cut answer.
TEST_F(SimFaults, FailureFlagsAndStatusNumbersInAnswers) {
  sim_.addFault({.code = "STS", .action = FaultAction::FailureFlag});
  sim_.addFault({.code = "CTS", .action = FaultAction::Status, .number = 7});
  Client c = connect();
  EXPECT_EQ(c.exchange("2S200STS")[42], '1');
  EXPECT_EQ(c.exchange("2S200CTS"), "2S200CTR7");
}

TEST_F(SimFaults, FaultsMatchTheirPort) {
  sim_.addFault({.code = "GMS",
                 .port = ktsim::Port::Finish,
                 .times = -1,
                 .action = FaultAction::FailureFlag});
  Client cmd = connect(ktsim::Port::Command);
  Client fin = connect(ktsim::Port::Finish);
  EXPECT_EQ(cmd.exchange("2S200GMS0000000000")[20], '0');
  EXPECT_EQ(fin.exchange("2S200GMS0000000000")[20], '1');
  EXPECT_EQ(fin.exchange("2S200GMS0000000000")[20], '1');
}

}  // namespace
