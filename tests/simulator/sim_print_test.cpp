// Print jobs as a host sends them: PRS, numbered DTI frames of five raster lines, and the
// finish reports that come back on the finish connection.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ktsim/simulator.h"
#include "sim_client.h"

namespace {

using namespace std::chrono_literals;
using simtest::Client;

// A host bitmap: rows top-down, true = black dot.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::vector<bool>> dots;
};

Bitmap randomBitmap(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  Bitmap b{width, height, {}};
  for (int y = 0; y < height; ++y) {
    std::vector<bool> row;
    for (int x = 0; x < width; ++x) row.push_back(rng() % 3 == 0);
    b.dots.push_back(row);
  }
  return b;
}

uint8_t reversed(uint8_t v) {
  uint8_t r = 0;
  for (int i = 0; i < 8; ++i) r = static_cast<uint8_t>(r | (((v >> i) & 1) << (7 - i)));
  return r;
}

// The host's side of the raster, step by step as the driver is described to build it:
// monochrome rows (1 = white, leftmost dot in the top bit, rows padded to 2 bytes), each
// byte inverted and bit-reversed, the dots past the label width cleared in their 16-dot
// group, byte pairs copied in reverse order to the end of the line; bottom row first.
std::vector<std::string> hostLines(const Bitmap& b, int widthDots, int bpl, int lines) {
  const int widthBytes = (b.width + 15) / 16 * 2;
  const int r = widthDots % 16;
  const uint16_t mask = r == 0 ? 0 : static_cast<uint16_t>(0xFFFF << (16 - r));
  const int maskByte = widthDots / 16 * 2;
  std::vector<std::string> out;
  for (int j = 0; j < lines; ++j) {
    std::string line(static_cast<size_t>(bpl), '\0');
    const int y = b.height - 1 - j;
    if (y >= 0) {
      std::vector<uint8_t> mono(static_cast<size_t>(widthBytes), 0xFF);
      for (int x = 0; x < b.width; ++x) {
        if (b.dots[static_cast<size_t>(y)][static_cast<size_t>(x)]) {
          mono[static_cast<size_t>(x / 8)] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
        }
      }
      std::vector<uint8_t> conv(mono.size());
      for (size_t k = 0; k < mono.size(); ++k) conv[k] = static_cast<uint8_t>(~reversed(mono[k]));
      if (mask != 0 && maskByte + 1 < widthBytes) {
        conv[static_cast<size_t>(maskByte)] &= reversed(static_cast<uint8_t>(mask >> 8));
        conv[static_cast<size_t>(maskByte) + 1] &= reversed(static_cast<uint8_t>(mask & 0xFF));
      }
      for (int i = widthBytes - 1; i >= 1; i -= 2) {
        line[static_cast<size_t>(bpl - i - 1)] =
            static_cast<char>(conv[static_cast<size_t>(i - 1)]);
        line[static_cast<size_t>(bpl - i)] = static_cast<char>(conv[static_cast<size_t>(i)]);
      }
    }
    out.push_back(line);
  }
  return out;
}

std::string num(int v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, v);
  return buf;
}

std::string settingsRecord(bool autoCut) {
  std::string s(168, '0');
  s.replace(132, 4, "0960");
  s[140] = autoCut ? '1' : '0';
  return s;
}

std::string prsPayload(const std::string& code, int widthDots, int lengthDots, int copies,
                       bool autoPeel = false, bool autoCut = false) {
  std::string p = "2S200" + code + num(widthDots, 4) + num(lengthDots, 4) + num(24, 3) + "100" +
                  "010" + "0" + "0" + (autoPeel ? "1" : "0") + "0" + "0" + "-05" + "003" +
                  num(copies, 4) + settingsRecord(autoCut);
  return p;
}

std::vector<std::string> dtiPayloads(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (size_t f = 0; f * 5 < lines.size(); ++f) {
    std::string p = "2S200DTI" + num(static_cast<int>(f % 10000), 4);
    for (size_t i = 0; i < 5; ++i) p += "00" + lines[f * 5 + i];
    out.push_back(p);
  }
  return out;
}

std::string report(int error, int remaining) {
  return simtest::frame("2S200PRE0" + num(error, 3) + num(remaining, 4));
}

class SimPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    out_ = std::filesystem::temp_directory_path() /
           ("ktsim-print-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(out_);
    ktsim::Options o;
    o.outputDir = out_.string();
    sim_ = std::make_unique<ktsim::Simulator>(o);
    sim_->start();
    ASSERT_TRUE(finish_.connect(sim_->addressValue(), sim_->finishPort()));
    ASSERT_TRUE(sim_->waitForConnections(ktsim::Port::Finish, 1, 5s));
    ASSERT_TRUE(command_.connect(sim_->addressValue(), sim_->commandPort()));
  }
  void TearDown() override {
    sim_->stop();
    std::filesystem::remove_all(out_);
  }

  // Sends PRS and every DTI frame of the bitmap; true when all were accepted.
  bool sendJob(const Bitmap& b, int copies, bool autoPeel = false, bool autoCut = false) {
    const int bpl = 120;
    const int frames = (b.height + 4) / 5;
    const std::string prs =
        command_.exchange(prsPayload("PRS", b.width, b.height, copies, autoPeel, autoCut));
    if (prs != "2S200PRR0000000") {
      ADD_FAILURE() << "PRS answer " << prs;
      return false;
    }
    for (const auto& p : dtiPayloads(hostLines(b, b.width, bpl, frames * 5))) {
      const std::string a = command_.exchange(p);
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

  std::filesystem::path out_;
  std::unique_ptr<ktsim::Simulator> sim_;
  Client finish_;
  Client command_;
};

void expectLabelIs(const ktsim::PrintedLabel& label, const Bitmap& b) {
  ASSERT_EQ(label.width, b.width);
  ASSERT_EQ(label.height, b.height);
  int wrong = 0;
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      if (label.dot(x, y) != b.dots[static_cast<size_t>(y)][static_cast<size_t>(x)]) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0) << "dots differ from the host bitmap";
}

TEST_F(SimPrint, LabelComesOutAsTheHostDrewItWithOneReportPerCopy) {
  // 100 dots wide (not a multiple of 16) and 23 lines (the last frame is padded).
  const Bitmap b = randomBitmap(100, 23, 7);
  ASSERT_TRUE(sendJob(b, 3));
  EXPECT_EQ(readReports(3), (std::vector<std::string>{report(0, 2), report(0, 1), report(0, 0)}));
  ASSERT_TRUE(sim_->waitForJobEnd(5s));
  const auto job = sim_->lastJob();
  ASSERT_TRUE(job);
  EXPECT_EQ(job->state, ktsim::JobState::Finished);
  EXPECT_EQ(job->framesReceived, 5);
  EXPECT_EQ(job->bytesPerLine, 120);
  EXPECT_EQ(job->conditions.posAdjX, -5);
  EXPECT_EQ(job->conditions.posAdjY, 3);
  EXPECT_EQ(job->conditions.gapDots, 24);
  EXPECT_EQ(job->conditions.settings, settingsRecord(false));
  const auto labels = sim_->labels();
  ASSERT_EQ(labels.size(), 3u);
  for (const auto& l : labels) expectLabelIs(l, b);
  EXPECT_EQ(labels[2].copy, 3);

  // The PNG holds the same pixels.
  int w = 0, h = 0, n = 0;
  unsigned char* png = stbi_load(labels[0].file.c_str(), &w, &h, &n, 1);
  ASSERT_NE(png, nullptr) << labels[0].file;
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 23);
  EXPECT_TRUE(std::equal(labels[0].pixels.begin(), labels[0].pixels.end(), png));
  stbi_image_free(png);
}

TEST_F(SimPrint, WideLabelOverTheWholeHeadRoundTrips) {
  const Bitmap b = randomBitmap(960, 61, 11);
  ASSERT_TRUE(sendJob(b, 1));
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(0, 0)});
  ASSERT_TRUE(sim_->waitForLabels(1, 5s));
  expectLabelIs(sim_->labels()[0], b);
}

TEST_F(SimPrint, RasterLineBytesMapToDots) {
  // 32 dots in a 6-byte line: the host's row bytes b0 b1 b2 b3 arrive as 0 0 L2 L3 L0 L1,
  // Lk holding dots 8k..8k+7 with the leftmost in bit 0.
  ASSERT_EQ(command_.exchange(prsPayload("PRS", 32, 5, 1)), "2S200PRR0000000");
  const char bytes[] = {0x00, 0x00, static_cast<char>(0x80), 0x00, 0x01, 0x03};
  const std::string line(bytes, sizeof bytes);
  std::string p = "2S200DTI0000";
  for (int i = 0; i < 5; ++i) p += "00" + (i == 0 ? line : std::string(6, '\0'));
  ASSERT_EQ(command_.exchange(p), "2S200DTR00");
  ASSERT_TRUE(sim_->waitForLabels(1, 5s));
  const auto l = sim_->labels()[0];
  ASSERT_EQ(l.width, 32);
  ASSERT_EQ(l.height, 5);
  // The first line received is the bottom row.
  std::string bottom;
  for (int x = 0; x < 32; ++x) bottom += l.dot(x, 4) ? '#' : '.';
  EXPECT_EQ(bottom, "#.......##.............#........");
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 32; ++x) EXPECT_FALSE(l.dot(x, y));
  }
}

TEST_F(SimPrint, RasterFramesOutOfOrderOrWithoutAJobAreRefused) {
  EXPECT_EQ(command_.exchange("2S200DTI0000" + std::string(5 * 122, '0')), "2S200DTR01");
  ASSERT_EQ(command_.exchange(prsPayload("PRS", 16, 10, 1)), "2S200PRR0000000");
  const std::string lines = std::string(5 * 122, '0');
  EXPECT_EQ(command_.exchange("2S200DTI0001" + lines), "2S200DTR01");  // 0000 expected
  EXPECT_EQ(command_.exchange("2S200DTI0000" + lines), "2S200DTR00");
  EXPECT_EQ(command_.exchange("2S200DTI0001" + std::string(5 * 100, '0')),
            "2S200DTR01");  // width changed
  EXPECT_EQ(command_.exchange("2S200DTI0001" + lines), "2S200DTR00");
  EXPECT_EQ(command_.exchange("2S200DTI0002" + lines), "2S200DTR01");  // raster already complete
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(0, 0)});
}

TEST_F(SimPrint, MalformedPrintConditionsAreRefusedWithTheirField) {
  std::string p = prsPayload("PRS", 100, 50, 1);
  p[8 + 5] = 'x';  // label length
  const std::string a = command_.exchange(p);
  EXPECT_EQ(a.substr(0, 11), "2S200PRR023");
  EXPECT_EQ(a.substr(11), "1002");
  EXPECT_EQ(command_.exchange(prsPayload("PRS", 100, 50, 0)).substr(11), "1013");  // no copies
  EXPECT_FALSE(sim_->lastJob());
}

TEST_F(SimPrint, FeedIssuesOneBlankLabelWithItsReport) {
  EXPECT_EQ(command_.exchange(prsPayload("FES", 640, 360, 1)), "2S200FER0000000");
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(0, 0)});
  ASSERT_TRUE(sim_->waitForJobEnd(5s));
  EXPECT_EQ(sim_->lastJob()->kind, ktsim::JobKind::Feed);
  EXPECT_TRUE(sim_->labels().empty());
}

TEST_F(SimPrint, StopEndsTheJobWithTheStopReport) {
  for (const int error : {998, 997}) {  // the stop report's number, then one set instead
    if (error != 998) sim_->setStopReportError(error);
    sim_->setIssueHold(true);
    ASSERT_TRUE(sendJob(randomBitmap(64, 10, 1), 5));
    ASSERT_TRUE(sim_->waitForJobState(ktsim::JobState::Issuing, 5s));
    EXPECT_EQ(command_.exchange("2S200PSP"), "2S200PSR0");
    EXPECT_EQ(readReports(1), std::vector<std::string>{report(error, 5)});
    ASSERT_TRUE(sim_->waitForJobEnd(5s));
    EXPECT_EQ(sim_->lastJob()->state, ktsim::JobState::Stopped);
    sim_->setIssueHold(false);
  }
}

TEST_F(SimPrint, PrinterErrorsEndTheJobWithTheirNumber) {
  sim_->raiseJobError(4, 1);
  ASSERT_TRUE(sendJob(randomBitmap(64, 10, 2), 3));
  EXPECT_EQ(readReports(2), (std::vector<std::string>{report(0, 2), report(4, 2)}));
  ASSERT_TRUE(sim_->waitForJobEnd(5s));
  EXPECT_EQ(sim_->lastJob()->state, ktsim::JobState::Failed);
  EXPECT_EQ(sim_->labels().size(), 1u);

  sim_->stopFromPrinter();
  ASSERT_TRUE(sendJob(randomBitmap(64, 10, 2), 2));
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(999, 2)});
  ASSERT_TRUE(sim_->waitForJobEnd(5s));
  EXPECT_EQ(sim_->lastJob()->state, ktsim::JobState::Stopped);
}

TEST_F(SimPrint, HeadOpenedDuringAJobFailsItAndRefusesTheNext) {
  sim_->setIssueHold(true);
  ASSERT_TRUE(sendJob(randomBitmap(64, 10, 3), 2));
  ASSERT_TRUE(sim_->waitForJobState(ktsim::JobState::Issuing, 5s));
  sim_->setHeadOpen(true);
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(1, 2)});
  EXPECT_EQ(command_.exchange(prsPayload("PRS", 64, 10, 1)).substr(8, 3), "001");
  EXPECT_EQ(command_.exchange("2S200STS")[33], '1');
}

TEST_F(SimPrint, AutoPeelWaitsForTheLabelToBeTaken) {
  ASSERT_TRUE(sendJob(randomBitmap(64, 10, 4), 2, /*autoPeel=*/true));
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(0, 1)});
  ASSERT_TRUE(sim_->waitForLabelAtPeeler(5s));
  // The peel sensor sees the label; the second copy waits.
  EXPECT_EQ(command_.exchange("2S200STS").substr(26, 3), "090");
  EXPECT_EQ(sim_->labels().size(), 1u);
  EXPECT_EQ(sim_->lastJob()->state, ktsim::JobState::Issuing);
  sim_->takeLabel();
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(0, 0)});
  ASSERT_TRUE(sim_->waitForJobEnd(5s));
  EXPECT_EQ(sim_->labels().size(), 2u);
  EXPECT_TRUE(sim_->labelAtPeeler());
  sim_->takeLabel();
  EXPECT_EQ(command_.exchange("2S200STS").substr(26, 3), "010");
}

TEST_F(SimPrint, ReportsWaitForAFinishConnection) {
  finish_.close();
  ASSERT_TRUE(sim_->waitFor(
      [&] {
        const auto all = sim_->connections();
        return std::none_of(all.begin(), all.end(),
                            [](auto& c) { return c.port == ktsim::Port::Finish && c.open; });
      },
      5s));
  ASSERT_TRUE(sendJob(randomBitmap(32, 5, 5), 1));
  ASSERT_TRUE(sim_->waitForJobEnd(5s));
  EXPECT_TRUE(sim_->finishReports().empty());
  ASSERT_TRUE(finish_.connect(sim_->addressValue(), sim_->finishPort()));
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(0, 0)});
  ASSERT_TRUE(sim_->waitForReports(1, 5s));
  EXPECT_TRUE(sim_->finishReports()[0].delivered);
}

TEST_F(SimPrint, ReportHookCanRewriteOrDropReports) {
  sim_->setFinishReportHook([](ktsim::FinishReport& r) {
    if (r.remaining == 1) return false;
    r.error = 35;
    return true;
  });
  ASSERT_TRUE(sendJob(randomBitmap(32, 5, 6), 2));
  EXPECT_EQ(readReports(1), std::vector<std::string>{report(35, 0)});
  ASSERT_TRUE(sim_->waitForReports(2, 5s));
  const auto reports = sim_->finishReports();
  EXPECT_FALSE(reports[0].delivered);
  EXPECT_TRUE(reports[1].delivered);
}

TEST_F(SimPrint, IssuedLabelsAddTravelAndCuts) {
  sim_->setTravel(100, 0, 1000);
  ASSERT_TRUE(sendJob(randomBitmap(64, 96, 8), 2, false, /*autoCut=*/true));
  ASSERT_TRUE(sim_->waitForJobEnd(5s));
  // Two labels of 96 dots plus 24 dots of gap: 20 mm.
  const auto s = sim_->state();
  EXPECT_EQ(s.labelTravelMm, 20u);
  EXPECT_EQ(s.bodyTravelMm, 1020u);
  EXPECT_EQ(s.cutCount, 2u);
}

TEST_F(SimPrint, TestPrintIssuesPatternLabels) {
  EXPECT_EQ(command_.exchange("2S200PTS1000002"), "2S200PTR0000000");
  EXPECT_EQ(readReports(2), (std::vector<std::string>{report(0, 1), report(0, 0)}));
  ASSERT_TRUE(sim_->waitForLabels(2, 5s));
  const auto l = sim_->labels()[0];
  EXPECT_EQ(l.kind, ktsim::JobKind::TestPrint);
  EXPECT_EQ(l.width, 960);
  EXPECT_TRUE(l.dot(10, 0));  // fine lines every 8 rows
  EXPECT_FALSE(l.dot(10, 1));
  EXPECT_EQ(command_.exchange("2S200PTS7000001")[11], '1');
}

TEST_F(SimPrint, ContinuousTestPrintRunsUntilStopped) {
  EXPECT_EQ(command_.exchange("2S200PTS0010001"), "2S200PTR0000000");
  ASSERT_TRUE(sim_->waitForLabels(3, 5s));
  EXPECT_EQ(command_.exchange("2S200PSP"), "2S200PSR0");
  ASSERT_TRUE(sim_->waitForJobEnd(5s));
  ASSERT_TRUE(sim_->waitForReports(4, 5s));  // the stop report may be recorded just after
  const auto reports = sim_->finishReports();
  EXPECT_EQ(reports.back().error, 998);
  EXPECT_EQ(reports.front().remaining, 1);
}

}  // namespace
