// Faults switched on per command, port and connection, as the driver's tests use them.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>

#include "sim_fixture.h"

// Faults name only what differs from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using namespace std::chrono_literals;
using ktsim::Fault;
using ktsim::FaultAction;
using simtest::Client;

class SimFaults : public simtest::SimFixture {
 protected:
  // Print conditions of a 16-dot wide label of `lengthDots` lines, one copy.
  static std::string conditions(int lengthDots) {
    char length[8];
    std::snprintf(length, sizeof length, "%04d", lengthDots);
    return simtest::fields({"0016", length, "000", "100", "010", "00000", "000", "000", "0001"}) +
           std::string(168, '0');
  }
};

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

TEST_F(SimFaults, NoAnswerThenCloseEndsTheConnectionInOrder) {
  sim_.addFault({.code = "STS", .action = FaultAction::NoAnswerClose});
  Client c = connect();
  ASSERT_TRUE(c.sendPayload("2S200STS"));
  EXPECT_EQ(c.readEnd(), 0);
  ASSERT_TRUE(sim_.waitForNoOpenConnections(5s));
  EXPECT_TRUE(sim_.connections()[0].closedByPrinter);
  EXPECT_EQ(sim_.receivedFrames("STS").size(), 1u);
  EXPECT_TRUE(sim_.sentFrames().empty());
  // The fault fired once; the next connection is served.
  Client d = connect();
  EXPECT_EQ(d.exchange("2S200STS").substr(5, 3), "STR");
}

TEST_F(SimFaults, NoAnswerKeepsTheConnectionAndSwallowsTheRequest) {
  sim_.addFault({.code = "BZS", .action = FaultAction::NoAnswer});
  Client c = connect();
  ASSERT_TRUE(c.sendPayload("2S200BZS"));
  // The next answer on the connection is the LED test's: the buzzer test got none.
  EXPECT_EQ(c.exchange("2S200LES"), "2S200LER0");
  EXPECT_EQ(sim_.state().buzzerTests, 0);
}

TEST_F(SimFaults, ResetAbortsTheConnection) {
  sim_.addFault({.code = "LRS", .action = FaultAction::Reset});
  Client c = connect();
  ASSERT_TRUE(c.sendPayload("2S200LRS0001000000000"));
  EXPECT_EQ(c.readEnd(), ECONNRESET);
}

TEST_F(SimFaults, DelayHoldsTheAnswerBack) {
  sim_.addFault({.code = "STS", .action = FaultAction::Delay, .delay = 300ms});
  Client c = connect();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(c.exchange("2S200STS").size(), 53u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
}

TEST_F(SimFaults, SplitAnswerArrivesInSeveralSegments) {
  sim_.addFault({.code = "STS", .action = FaultAction::Split, .delay = 150ms, .segments = 3});
  Client c = connect();
  ASSERT_TRUE(c.sendPayload("2S200STS"));
  int reads = 0;
  const auto frame = c.readFrame(3000, &reads);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->size(), 59u);
  EXPECT_GE(reads, 2);
  // The record holds the answer whole (recorded once the last segment went out).
  ASSERT_TRUE(sim_.waitFor([&] { return !sim_.sentFrames("STR").empty(); }, 2s));
  EXPECT_EQ(sim_.sentFrames("STR")[0].bytes, *frame);
}

TEST_F(SimFaults, CloseAfterSomeRasterFrames) {
  sim_.addFault({.code = "DTI", .skip = 2, .action = FaultAction::NoAnswerClose});
  Client c = connect();
  ASSERT_EQ(c.exchange("2S200PRS" + conditions(20)).substr(5, 3), "PRR");
  const std::string lines(5 * 122, '0');
  EXPECT_EQ(c.exchange("2S200DTI0000" + lines), "2S200DTR00");
  EXPECT_EQ(c.exchange("2S200DTI0001" + lines), "2S200DTR00");
  ASSERT_TRUE(c.sendPayload("2S200DTI0002" + lines));
  EXPECT_EQ(c.readEnd(), 0);
  EXPECT_EQ(sim_.lastJob()->framesReceived, 2);
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
  EXPECT_EQ(c.exchange("2S200PRS" + conditions(5)).substr(8, 3), "032");
  EXPECT_EQ(c.exchange("2S200FES" + conditions(5)).substr(11), "1021");
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

TEST_F(SimFaults, FullAcceptQueueMakesConnectsTimeOut) {
  Client open = connect();
  ASSERT_TRUE(sim_.waitForConnections(ktsim::Port::Command, 1, 5s));
  sim_.setAccepting(ktsim::Port::Command, false);
  Client late;
  EXPECT_FALSE(late.connect(sim_.addressValue(), sim_.commandPort(), 500));
  // The finish port and the connection already open still work.
  EXPECT_EQ(open.exchange("2S200BZS"), "2S200BZR0");
  Client fin = connect(ktsim::Port::Finish);
  sim_.setAccepting(ktsim::Port::Command, true);
  Client again = connect();
  EXPECT_EQ(again.exchange("2S200LES"), "2S200LER0");
  // The simulator's own queue fillers never show up as connections.
  for (const auto& c : sim_.connections()) EXPECT_NE(c.peer, "");
  EXPECT_EQ(sim_.receivedFrames().size(), 2u);
}

TEST_F(SimFaults, PrinterSideCloseOfEveryConnection) {
  Client c = connect();
  Client f = connect(ktsim::Port::Finish);
  ASSERT_TRUE(sim_.waitForConnections(ktsim::Port::Finish, 1, 5s));
  ASSERT_TRUE(sim_.waitForConnections(ktsim::Port::Command, 1, 5s));
  sim_.closeConnections();
  EXPECT_EQ(c.readEnd(), 0);
  EXPECT_EQ(f.readEnd(), 0);
  ASSERT_TRUE(sim_.waitForNoOpenConnections(5s));
  for (const auto& r : sim_.connections()) EXPECT_TRUE(r.closedByPrinter);
}

}  // namespace
