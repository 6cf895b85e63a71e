// The printer as the driver's suites see it through a plain socket client: the status
// block, and print jobs as a host sends them (PRS, numbered DTI frames of five raster lines)
// with the finish reports that come back on the finish connection.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "ktsim/simulator.h"
#include "sim_client.h"

namespace {

using namespace std::chrono_literals;
using simtest::Client;

std::string num(int v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, v);
  return buf;
}

std::string settingsRecord() {
  std::string s(168, '0');
  s.replace(132, 4, "0960");
  return s;
}

// Print conditions: width, length, gap, two conditions, five flags, position adjustment,
// copies, settings.
std::string prsPayload(int widthDots, int lengthDots, int copies) {
  return "2S200PRS" + num(widthDots, 4) + num(lengthDots, 4) + "024" + "100" + "010" + "00000" +
         "-05" + "003" + num(copies, 4) + settingsRecord();
}

std::string report(int error, int remaining) {
  return simtest::frame("2S200PRE0" + num(error, 3) + num(remaining, 4));
}

class SimPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    sim_.start();
    ASSERT_TRUE(finish_.connect(sim_.addressValue(), sim_.finishPort()));
    ASSERT_TRUE(sim_.waitForConnections(ktsim::Port::Finish, 1, 5s));
    ASSERT_TRUE(command_.connect(sim_.addressValue(), sim_.commandPort()));
  }

  // Sends PRS and blank DTI frames for every line; true when all were accepted. The dots'
  // way from the wire onto the label is RasterLineBytesMapToDots's.
  bool sendJob(int width, int height, int copies) {
    const std::string prs = command_.exchange(prsPayload(width, height, copies));
    if (prs != "2S200PRR0000000") {
      ADD_FAILURE() << "PRS answer " << prs;
      return false;
    }
    std::string blank;  // five head lines of "00" and 120 bytes
    for (int i = 0; i < 5; ++i) blank += "00" + std::string(120, '\0');
    for (int f = 0; f * 5 < height; ++f) {
      const std::string a = command_.exchange("2S200DTI" + num(f, 4) + blank);
      if (a != "2S200DTR00") {
        ADD_FAILURE() << "DTI answer " << a;
        return false;
      }
    }
    return true;
  }

  std::vector<std::string> readReports(size_t n) {
    std::vector<std::string> out;
    for (size_t i = 0; i < n; ++i) {
      auto f = finish_.readFrame();
      if (!f) break;
      out.push_back(*f);
    }
    return out;
  }

  ktsim::Simulator sim_;
  Client finish_;
  Client command_;
};

// Where each field stands is read back by the driver's status dialog through the simulator
// (display_dialog_test.cpp: versions, error, sensors, rank, head, temperatures, paper stop
// position); here the whole block with its defaults and the last status digit.
TEST_F(SimPrint, StatusBlockCarriesEveryStateField) {
  sim_.updateState([](ktsim::PrinterState& s) { s.status52 = '2'; });
  EXPECT_EQ(command_.exchange("2S200STS"), std::string("2S200STR") + "120" + "110" + "250" + "000" +
                                               "030" + "020" + "010" + "050" + "3" + "0" + "0253" +
                                               "0221" + "0" + "00" + "1" + "000" + "100" + "2");
}

TEST_F(SimPrint, RasterLineBytesMapToDotsOnEveryCopyWithOneReportEach) {
  // 32 dots in a 6-byte line: the host's row bytes b0 b1 b2 b3 arrive as 0 0 L2 L3 L0 L1,
  // Lk holding dots 8k..8k+7 with the leftmost in bit 0. 7 lines: the last frame is padded.
  ASSERT_EQ(command_.exchange(prsPayload(32, 7, 3)), "2S200PRR0000000");
  const char bytes[] = {0x00, 0x00, static_cast<char>(0x80), 0x00, 0x01, 0x03};
  const std::string line(bytes, sizeof bytes);
  for (int f = 0; f < 2; ++f) {
    std::string p = "2S200DTI" + num(f, 4);
    for (int i = 0; i < 5; ++i) p += "00" + (f == 0 && i == 0 ? line : std::string(6, '\0'));
    ASSERT_EQ(command_.exchange(p), "2S200DTR00");
  }
  EXPECT_EQ(readReports(3), (std::vector<std::string>{report(0, 2), report(0, 1), report(0, 0)}));
  ASSERT_TRUE(sim_.waitForJobEnd(5s));
  const auto job = sim_.lastJob();
  EXPECT_EQ(job->state, ktsim::JobState::Finished);
  EXPECT_EQ(std::tie(job->conditions.posAdjX, job->conditions.posAdjY), std::make_tuple(-5, 3));
  EXPECT_EQ(job->conditions.settings, settingsRecord());
  const auto labels = sim_.labels();
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[2].copy, 3);
  for (const auto& l : labels) {
    ASSERT_EQ(l.width, 32);
    ASSERT_EQ(l.height, 7);
    // The first line received is the bottom row.
    std::string rows;
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 32; ++x) rows += l.dot(x, y) ? '#' : '.';
    }
    EXPECT_EQ(rows, std::string(6 * 32, '.') + "#.......##.............#........");
  }
}

TEST_F(SimPrint, RasterFramesOutOfOrderOrWithoutAJobAreRefused) {
  EXPECT_EQ(command_.exchange("2S200DTI0000" + std::string(5 * 122, '0')), "2S200DTR01");
  ASSERT_EQ(command_.exchange(prsPayload(16, 10, 1)), "2S200PRR0000000");
  const std::string lines = std::string(5 * 122, '0');
  EXPECT_EQ(command_.exchange("2S200DTI0001" + lines), "2S200DTR01");  // 0000 expected
  EXPECT_EQ(command_.exchange("2S200DTI0000" + lines), "2S200DTR00");
  EXPECT_EQ(command_.exchange("2S200DTI0001" + std::string(5 * 100, '0')),
            "2S200DTR01");  // width changed
  EXPECT_EQ(command_.exchange("2S200DTI0001" + lines), "2S200DTR00");
  EXPECT_EQ(command_.exchange("2S200DTI0002" + lines), "2S200DTR01");  // raster already complete
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(0, 0)});
}

// The default stop report (998) is read by the driver in
// TestPrintTest.StopIsServedWhileTheJobIsFollowed; here one set instead.
TEST_F(SimPrint, StopEndsTheJobWithTheStopReport) {
  sim_.setStopReportError(997);
  sim_.setIssueHold(true);
  ASSERT_TRUE(sendJob(64, 10, 5));
  ASSERT_TRUE(sim_.waitForJobState(ktsim::JobState::Issuing, 5s));
  EXPECT_EQ(command_.exchange("2S200PSP"), "2S200PSR0");
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(997, 5)});
  ASSERT_TRUE(sim_.waitForJobEnd(5s));
  EXPECT_EQ(sim_.lastJob()->state, ktsim::JobState::Stopped);
}

// A raised error's number and the copies before it reach the host through the driver
// (ktprint_print_test, print_completion_test); here the job's end state, and a stop from
// the printer's own panel.
TEST_F(SimPrint, PrinterErrorsEndTheJobWithTheirNumber) {
  sim_.raiseJobError(4, 1);
  ASSERT_TRUE(sendJob(64, 10, 3));
  ASSERT_TRUE(sim_.waitForJobEnd(5s));
  EXPECT_EQ(sim_.lastJob()->state, ktsim::JobState::Failed);

  sim_.stopFromPrinter();
  ASSERT_TRUE(sendJob(64, 10, 2));
  EXPECT_EQ(readReports(3), (std::vector<std::string>{report(0, 2), report(4, 2), report(999, 2)}));
  ASSERT_TRUE(sim_.waitForJobEnd(5s));
  EXPECT_EQ(sim_.lastJob()->state, ktsim::JobState::Stopped);
}

}  // namespace
