// Commands answered over a real socket from the printer state. The driver's dialogs read
// and write each command's fields through the simulator; what stays here is the whole
// status block and what no driver ever sends: requests the printer must refuse.
#include <gtest/gtest.h>

#include <string>

#include "sim_fixture.h"

namespace {

using simtest::Client;
using simtest::fields;

using SimCommands = simtest::SimFixture;

// Where each field stands is read back by the driver's status dialog through the simulator
// (display_dialog_test.cpp: versions, error, sensors, rank, head, temperatures, paper stop
// position); here the whole block with its defaults and the last status digit.
TEST_F(SimCommands, StatusBlockCarriesEveryStateField) {
  sim_.updateState([](ktsim::PrinterState& s) { s.status52 = '2'; });
  EXPECT_EQ(ask("2S200STS"),
            fields({"2S200STR", "120", "110", "250", "000", "030", "020", "010", "050", "3", "0",
                    "0253", "0221", "0", "00", "1", "000", "100", "2"}));
}

// Each refusal sets its answer's failure flag (or status number) and leaves the state alone.
TEST_F(SimCommands, MalformedRequestsAreRefusedAndChangeNothing) {
  sim_.setGapMark(false, true, 45, 30, false, 60, 20);
  sim_.setAddresses("00809200ABCD", 0x0A000005u, 0xFFFF0000u, 0x0A000001u);
  sim_.setCutPosition(305, 41);
  const struct {
    const char* what;
    std::string request;
    size_t at;
    std::string answer;
  } rows[] = {
      {"gap reference not a number", fields({"2S200GMS1", "0", "1", "4x", "0", "1", "33", "0"}), 20,
       "1"},
      {"unknown distance operation", fields({"2S200LRS9", "001", "0", "000000000"}), 31, "1"},
      {"address group above 255",
       fields({"2S200ADS1", "00809200ABCD", "300000000005", "255255000000", "010000000001", "03"}),
       61, "1"},
      {"empty card slot", "2S200CDS5", 9, "007"},
      {"unknown cut position operation", "2S200CPS99", 11, "1"},
      {"head dots outside 1..960", "2S200HCS000009610020", 11, "1"},
      {"motor without the test mode", "2S200MTS01", 8, "1"},
      {"unknown test pattern", "2S200PTS7000001", 11, "1"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(ask(r.request).substr(r.at, r.answer.size()), r.answer);
  }
  EXPECT_EQ(ask("2S200CDS5")[40], '1');
  const auto s = sim_.state();
  EXPECT_EQ(s.gapReference, 45);
  EXPECT_EQ(s.ip, 0x0A000005u);
  EXPECT_EQ(s.cutPositionDots, 305);
  EXPECT_FALSE(s.outerMotorRunning);
  EXPECT_FALSE(sim_.lastJob());
}

TEST_F(SimCommands, ProgramTransferWithASkippedBlockIsSpoilt) {
  Client c = connect();
  EXPECT_EQ(c.exchange("2S200INS"), "2S200INR000");
  EXPECT_EQ(c.exchange("2S200IDS0001" + std::string(512, 'B')), "2S200IDR1");
  EXPECT_EQ(c.exchange("2S200INE"), "2S200IER1");
  EXPECT_FALSE(sim_.program().complete);
}

}  // namespace
