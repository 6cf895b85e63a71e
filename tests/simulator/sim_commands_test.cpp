// Every command of the printer, answered over a real socket from the printer state; each
// answer is checked whole, so its code, header and length with it.
#include <gtest/gtest.h>

#include <string>

#include "sim_fixture.h"

namespace {

using namespace std::chrono_literals;
using simtest::Client;
using simtest::fields;

using SimCommands = simtest::SimFixture;

TEST_F(SimCommands, StatusBlockCarriesEveryStateField) {
  sim_.updateState([](ktsim::PrinterState& s) {
    s.controllerVersion = 95;
    s.biosVersion = 101;
    s.programVersion = 205;
    s.errorCode = 46;
    s.gapSensor = 12;
    s.markSensor = 34;
    s.peelSensor = 56;
    s.ribbonSensor = 78;
    s.headRank = 6;
    s.headOpen = true;
    s.headTemperature = -52;
    s.ambientTemperature = 315;
    s.paperStopPosition = 4;
    s.cutDoorSensor = 9;
    s.deviceControllerVersion = 130;
    s.status52 = '2';
  });
  // Versions, error, four sensors, rank, head open, temperatures, failure flag, status
  // characters with the paper stop position, cutter door, device controller, last digit.
  EXPECT_EQ(ask("2S200STS"),
            fields({"2S200STR", "095", "101", "205", "046", "012", "034", "056", "078", "6", "1",
                    "-052", "0315", "0", "00", "4", "009", "130", "2"}));
}

TEST_F(SimCommands, StatusAnswersOnBothPortsAndShowsOtherModelAndFailure) {
  EXPECT_EQ(ask("2S200STS", ktsim::Port::Finish).substr(5, 3), "STR");
  sim_.setModelHeader("21200");
  EXPECT_EQ(ask("2S200STS").substr(0, 8), "21200STR");
  sim_.setModelHeader("2S200");
  sim_.setStatusFailure(true);
  EXPECT_EQ(ask("2S200STS")[42], '1');
}

TEST_F(SimCommands, GapMarkSettingsAreReadWrittenAndTrimmed) {
  sim_.setGapMark(false, true, 45, 30, false, 60, 20);
  EXPECT_EQ(ask("2S200GMS0000000000"),
            fields({"2S200GMR0", "0", "1", "45", "30", "0", "60", "20", "0"}));
  // Switch to mark detection, manual mark reference 33, trim the mark sensor up.
  EXPECT_EQ(ask(fields({"2S200GMS1", "1", "1", "45", "0", "1", "33", "+"})),
            fields({"2S200GMR1", "1", "1", "45", "30", "1", "33", "21", "0"}));
  // Gap trim down.
  EXPECT_EQ(ask(fields({"2S200GMS1", "0", "1", "45", "-", "1", "33", "0"})).substr(13, 2), "29");
  const auto s = sim_.state();
  EXPECT_FALSE(s.markDetection);
  EXPECT_TRUE(s.markManual);
  EXPECT_EQ(s.markReference, 33);
  // A malformed write is refused and changes nothing.
  EXPECT_EQ(ask(fields({"2S200GMS1", "0", "1", "4x", "0", "1", "33", "0"}))[20], '1');
  EXPECT_EQ(sim_.state().gapReference, 45);
}

TEST_F(SimCommands, DistancesAreReadSetClearedAndWritten) {
  sim_.setTravel(120, 12345678, 2500000);
  EXPECT_EQ(ask(fields({"2S200LRS0", "001", "0", "000000000"})),
            fields({"2S200LRR0", "120", "012", "345", "678", "0", "002", "500", "000", "0"}));
  EXPECT_EQ(ask(fields({"2S200LRS1", "250", "0", "000000000"})).substr(9, 3), "250");
  EXPECT_EQ(sim_.state().warningDistanceKm, 250);
  EXPECT_EQ(ask(fields({"2S200LRS2", "001", "0", "000000000"})).substr(12, 9), "000000000");
  EXPECT_EQ(ask(fields({"2S200LRS0", "001", "1", "012", "500", "000"})).substr(22, 9), "012500000");
  EXPECT_EQ(sim_.state().bodyTravelMm, 12500000u);
  EXPECT_EQ(ask(fields({"2S200LRS9", "001", "0", "000000000"}))[31], '1');
}

TEST_F(SimCommands, AddressesAreReadAndSet) {
  sim_.setAddresses("00809200ABCD", 0xC0A8000Au, 0xFFFFFF00u, 0xC0A80001u);
  EXPECT_EQ(ask("2S200ADS0" + std::string(48, '0') + "01"),
            fields({"2S200ADR000", "00809200ABCD", "192168000010", "255255255000", "192168000001",
                    "01", "0"}));
  const std::string set = ask(
      fields({"2S200ADS1", "00809200ABCD", "010000000005", "255255000000", "010000000001", "03"}));
  EXPECT_EQ(set.substr(8, 3), "000");
  EXPECT_EQ(set.substr(23, 12), "010000000005");
  EXPECT_EQ(sim_.state().ip, 0x0A000005u);
  const std::string bad = ask(
      fields({"2S200ADS1", "00809200ABCD", "300000000005", "255255000000", "010000000001", "03"}));
  EXPECT_NE(bad.substr(8, 3), "000");
  EXPECT_EQ(bad[61], '1');
  EXPECT_EQ(sim_.state().ip, 0x0A000005u);
}

TEST_F(SimCommands, MemoryCardsAnswerFromTheirSlots) {
  ktsim::MemoryCard card;
  card.present = true;
  card.files = 12;
  card.firstSize = "000003145728";
  card.secondSize = "000001048576";
  sim_.setCard(2, card);
  EXPECT_EQ(ask("2S200CDS2"),
            fields({"2S200CDR2", "000", "0012", "000003145728", "000001048576", "0"}));
  const std::string missing = ask("2S200CDS5");
  EXPECT_EQ(missing[40], '1');
  EXPECT_EQ(missing.substr(9, 3), "007");
}

TEST_F(SimCommands, CutPositionMovesResetsAndCounts) {
  sim_.setCutPosition(305, 41);
  EXPECT_EQ(ask("2S200CPS00").substr(17), fields({"0305", "0", "0000", "0", "00000041"}));
  for (int i = 0; i < 42; ++i) ask("2S200CPS1-");
  // 42 dots back is 3.5 mm.
  EXPECT_EQ(ask("2S200CPS00").substr(17), fields({"0263", "1", "0003", "5", "00000041"}));
  EXPECT_EQ(ask("2S200CPS1+").substr(17, 4), "0264");
  EXPECT_EQ(ask("2S200CPS20").substr(17, 10), fields({"0305", "0", "0000", "0"}));
  EXPECT_EQ(ask("2S200CPS30").substr(27), "00000000");
  EXPECT_EQ(ask("2S200CPS99")[11], '1');
  // The auto cut counts as a cutter operation.
  EXPECT_EQ(ask("2S200CTS"), "2S200CTR0");
  EXPECT_EQ(sim_.state().cutCount, 1u);
  sim_.setCutError(7);
  EXPECT_EQ(ask("2S200CTS"), "2S200CTR7");
}

TEST_F(SimCommands, HeadCheckListsBrokenDotsInRange) {
  sim_.setBrokenDots({700, 12, 480});
  const std::string a = ask("2S200HCS000109600020");
  EXPECT_EQ(a[11], '0');
  EXPECT_EQ(a.substr(15, 2 + 12), fields({"03", "0012", "0480", "0700"}));
  EXPECT_EQ(a.substr(29), std::string(217 - 29, '0'));
  EXPECT_EQ(ask("2S200HCS010005000020").substr(15, 6), "010480");
  EXPECT_EQ(ask("2S200HCS000009610020")[11], '1');  // positions outside 1..960
}

TEST_F(SimCommands, HardwareTestsAreCountedAndMotorsFollowTheTestMode) {
  EXPECT_EQ(ask("2S200BZS"), "2S200BZR0");
  EXPECT_EQ(ask("2S200LES"), "2S200LER0");
  EXPECT_EQ(ask("2S200MTS01"), "2S200MTR1");  // no motor test mode yet
  EXPECT_EQ(ask("2S200MIS"), "2S200MIR0");
  EXPECT_EQ(ask("2S200MTS11"), "2S200MTR0");
  auto s = sim_.state();
  EXPECT_EQ(s.buzzerTests, 1);
  EXPECT_EQ(s.ledTests, 1);
  EXPECT_TRUE(s.outerMotorRunning);
  EXPECT_FALSE(s.innerMotorRunning);
  EXPECT_EQ(ask("2S200MES"), "2S200MER0");
  s = sim_.state();
  EXPECT_FALSE(s.motorTestMode);
  EXPECT_FALSE(s.outerMotorRunning);
}

TEST_F(SimCommands, ProgramTransferKeepsBlocksAndChecksTheirNumbers) {
  Client c = connect();
  EXPECT_EQ(c.exchange("2S200INS"), "2S200INR000");
  std::string block0;  // frame bytes inside the data must not confuse framing
  for (int i = 0; i < 256; ++i) block0 += "\x02\x03";
  std::string block1(512, 'B');
  EXPECT_EQ(c.exchange("2S200IDS0000" + block0), "2S200IDR0");
  EXPECT_EQ(c.exchange("2S200IDS0001" + block1), "2S200IDR0");
  EXPECT_EQ(c.exchange("2S200INE"), "2S200IER0");
  const auto program = sim_.program();
  EXPECT_TRUE(program.complete);
  EXPECT_EQ(program.blocks, 2);
  ASSERT_EQ(program.data.size(), 1024u);
  EXPECT_EQ(program.data[0], 0x02);
  EXPECT_EQ(program.data[1023], 'B');

  // A skipped block number spoils the transfer.
  EXPECT_EQ(c.exchange("2S200INS"), "2S200INR000");
  EXPECT_EQ(c.exchange("2S200IDS0001" + block1), "2S200IDR1");
  EXPECT_EQ(c.exchange("2S200INE"), "2S200IER1");
  EXPECT_FALSE(sim_.program().complete);
}

TEST_F(SimCommands, OneConnectionServesManyRequestsAndEveryFrameIsRecorded) {
  Client c = connect();
  EXPECT_EQ(c.exchange("2S200BZS"), "2S200BZR0");
  EXPECT_EQ(c.exchange("2S200LES"), "2S200LER0");
  c.close();
  ASSERT_TRUE(sim_.waitForNoOpenConnections(5s));
  const auto frames = sim_.frames();
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(frames[0].bytes, fields({"\x02", "00082S200BZS", "\x03"}));
  EXPECT_TRUE(frames[0].received);
  EXPECT_EQ(frames[1].bytes, fields({"\x02", "00092S200BZR0", "\x03"}));
  EXPECT_FALSE(frames[1].received);
  EXPECT_EQ(frames[3].code(), "LER");
  EXPECT_EQ(frames[0].connection, frames[3].connection);
  const auto conns = sim_.connections();
  ASSERT_EQ(conns.size(), 1u);
  EXPECT_FALSE(conns[0].open);
  EXPECT_FALSE(conns[0].closedByPrinter);
}

}  // namespace
