// Labels printed while the simulated printer spoils the traffic on both of its ports: every
// job ends in bounded time, either printed exactly as the bitmap with success or failed
// with an error code. Never a success without a label or with a different one.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "print_fixture.h"

namespace nypr::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using ktsim::FaultAction;

constexpr uint32_t kSeed = 20261207;
constexpr int kLabels = 100;       // printed exactly before the soak ends
constexpr int kMaxJobs = 160;      // bound on the jobs it may take
constexpr uint16_t kWidth = 160;   // 0.1 mm: 192 dots
constexpr uint16_t kLength = 100;  // 0.1 mm: 120 dots, 24 raster frames
constexpr int kDots = 192;
constexpr int kLines = 120;
constexpr auto kJobLimit = 30s;  // longer than any wait the driver has, shorter than a hang

// A fault on the command port for one job, none half the time so that most jobs print:
// answers split into segments or delayed, or the connection closed or reset at a random
// request of the job (about 30 in all).
void armCommandFault(ktsim::Simulator& sim, std::mt19937& rng) {
  const unsigned pick = rng() % 48;
  if (pick < 24) return;
  ktsim::Fault f;
  f.port = ktsim::Port::Command;
  f.times = -1;
  if (pick < 35) {
    f.action = FaultAction::Split;
    f.segments = 2 + static_cast<int>(rng() % 3);
    f.delay = 1ms;
  } else if (pick < 42) {
    f.action = FaultAction::Delay;
    f.delay = std::chrono::milliseconds(1 + rng() % 8);
  } else {
    f.action = pick < 45 ? FaultAction::NoAnswerClose : FaultAction::Reset;
    f.skip = static_cast<int>(rng() % 32);
    f.times = 1;
  }
  sim.addFault(f);
}

// The driver only reads the finish port: there the job's report comes late (now and
// then past the finish connection's 500 ms read time-out), or is lost as the printer
// closes its connections.
struct FinishFault {
  int delayMs = 0;
  bool lost = false;
};

FinishFault randomFinishFault(std::mt19937& rng) {
  const unsigned pick = rng() % 48;
  FinishFault f;
  if (pick >= 45) {
    f.lost = true;
  } else if (pick >= 24) {
    f.delayMs = static_cast<int>(rng() % 3 == 0 ? 400 + rng() % 300 : 1 + rng() % 8);
  }
  return f;
}

class PrintSoakTest : public SimulatorTest {};

TEST_F(PrintSoakTest, EveryJobEndsPrintedExactlyOrFailedWithACode) {
  std::mt19937 rng(kSeed);
  std::atomic<int> reportDelayMs{0};
  std::atomic<bool> reportLost{false};
  sim_.setFinishReportHook([&](ktsim::FinishReport&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(reportDelayMs.load()));
    return !reportLost;
  });
  int printed = 0;
  int jobs = 0;
  for (; jobs < kMaxJobs && printed < kLabels; ++jobs) {
    SCOPED_TRACE("job " + std::to_string(jobs));
    armCommandFault(sim_, rng);
    const FinishFault finish = randomFinishFault(rng);
    reportDelayMs = finish.delayMs;
    reportLost = finish.lost;
    LabelBitmap bitmap(kDots, kLines);
    bitmap.fillRandom(rng());
    Job job(kWidth, kLength);
    const size_t labelsBefore = sim_.labels().size();
    const size_t reportsBefore = sim_.finishReports().size();

    const Clock::time_point start = Clock::now();
    bool ok = NyPrInitPrinter(1, &job.job) == 0 &&
              NyPrPrintOneLabel(1, 1, bitmap.handle(), &job.job, nullptr) == 0;
    if (finish.lost && sim_.waitForReports(reportsBefore + 1, 5s)) sim_.closeConnections();
    ok = ok && NyPrWaitPrintFinished(1, 0) == 1;
    const uint32_t code = NyPrGetPrintError(1, nullptr, 0);
    NyPrClosePrinter(0);
    EXPECT_LT(Clock::now() - start, kJobLimit);

    if (ok) {
      ++printed;
      const auto labels = sim_.labels();
      ASSERT_EQ(labels.size(), labelsBefore + 1) << "success without exactly one label";
      EXPECT_EQ(wrongDots(labels.back(), bitmap, kDots, kLines), 0)
          << "success with a different label";
    } else {
      EXPECT_NE(code, 0u) << "failure without an error code";
    }
    // Let the printer finish whatever a broken job left, so the next job starts clean.
    sim_.clearFaults();
    reportDelayMs = 0;
    reportLost = false;
    sim_.waitForNoOpenConnections(2s);
  }
  std::printf("soak: %d jobs: %d printed exactly, %d failed with a code\n", jobs, printed,
              jobs - printed);
  EXPECT_EQ(printed, kLabels);
}

}  // namespace
}  // namespace nypr::test
