// Labels printed through a layer that spoils the traffic on both printer ports: every job
// ends in bounded time, either printed exactly as the bitmap with success or failed with
// an error code. Never a success without a label or with a different one.
#include <chrono>
#include <cstdio>
#include <map>
#include <random>

#include "fault_proxy.h"
#include "print_fixture.h"

namespace nypr::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kSeed = 20261207;
constexpr int kLabels = 100;       // printed exactly before the soak ends
constexpr int kMaxJobs = 160;      // bound on the jobs it may take
constexpr uint16_t kWidth = 160;   // 0.1 mm: 192 dots
constexpr uint16_t kLength = 100;  // 0.1 mm: 120 dots, 24 raster frames
constexpr int kDots = 192;
constexpr int kLines = 120;
constexpr auto kJobLimit = 30s;  // longer than any wait the driver has, shorter than a hang

const char* faultName(ProxyFault f) {
  switch (f) {
    case ProxyFault::None:
      return "none";
    case ProxyFault::Split:
      return "split";
    case ProxyFault::Delay:
      return "delay";
    case ProxyFault::Reset:
      return "reset";
    case ProxyFault::Close:
      return "close";
  }
  return "?";
}

// A fault for one port of one job: untouched half the time, so that most jobs print.
ProxyPlan randomPlan(std::mt19937& rng, ProxyPort port) {
  ProxyPlan plan;
  const unsigned pick = rng() % 48;
  if (pick < 24) return plan;
  if (pick < 35) {
    plan.fault = ProxyFault::Split;
  } else if (pick < 42) {
    plan.fault = ProxyFault::Delay;
    // Past the finish connection's 500 ms read time-out now and then.
    plan.delayMs = port == ProxyPort::Finish && rng() % 3 == 0 ? 400 + rng() % 300 : 1 + rng() % 8;
  } else {
    plan.fault = pick < 45 ? ProxyFault::Close : ProxyFault::Reset;
    // Anywhere in the job's traffic: about 5 kB on the command port, a report or two on
    // the finish port.
    plan.afterBytes = port == ProxyPort::Command ? rng() % 6000 : rng() % 48;
  }
  return plan;
}

bool printedAs(const ktsim::PrintedLabel& printed, const LabelBitmap& bitmap) {
  if (printed.width != kDots || printed.height != kLines) return false;
  for (int y = 0; y < kLines; ++y) {
    for (int x = 0; x < kDots; ++x) {
      if (printed.dot(x, y) != bitmap.black(x, y)) return false;
    }
  }
  return true;
}

class PrintSoakTest : public SimulatorTest {};

TEST_F(PrintSoakTest, EveryJobEndsPrintedExactlyOrFailedWithACode) {
  FaultProxy proxy(sim_.address(), sim_.commandPort(), sim_.finishPort(), kSeed);
  configurePrinter(1, proxy.addressValue());
  std::mt19937 rng(kSeed);

  int printed = 0;
  int failed = 0;
  std::map<uint32_t, int> failureCodes;
  std::map<std::string, int> armed;
  Clock::duration longest{};
  const Clock::time_point soakStart = Clock::now();
  int jobs = 0;
  for (; jobs < kMaxJobs && printed < kLabels; ++jobs) {
    const int n = jobs;
    SCOPED_TRACE("job " + std::to_string(n));
    const ProxyPlan command = randomPlan(rng, ProxyPort::Command);
    const ProxyPlan finish = randomPlan(rng, ProxyPort::Finish);
    ++armed[std::string("command ") + faultName(command.fault)];
    ++armed[std::string("finish ") + faultName(finish.fault)];
    LabelBitmap bitmap(kDots, kLines);
    bitmap.fillRandom(rng());
    Job job(kWidth, kLength);
    const size_t labelsBefore = sim_.labels().size();
    proxy.arm(ProxyPort::Command, command);
    proxy.arm(ProxyPort::Finish, finish);

    const Clock::time_point start = Clock::now();
    const char* step = "init";
    bool ok = NyPrInitPrinter(1, &job.job) == 0;
    if (ok) step = "print";
    ok = ok && NyPrPrintOneLabel(1, 1, bitmap.handle(), &job.job, nullptr) == 0;
    if (ok) step = "wait";
    ok = ok && NyPrWaitPrintFinished(1, 0) == 1;
    const uint32_t code = NyPrGetPrintError(1, nullptr, 0);
    NyPrClosePrinter(0);
    const Clock::duration took = Clock::now() - start;
    longest = std::max(longest, took);
    EXPECT_LT(took, kJobLimit);
    if (took > 2s) {
      std::printf("soak: job %d took %.1f s (command %s, finish %s): %s, code %u\n", n,
                  std::chrono::duration<double>(took).count(), faultName(command.fault),
                  faultName(finish.fault), ok ? "printed" : step, code);
    }

    if (ok) {
      ++printed;
      const auto labels = sim_.labels();
      ASSERT_EQ(labels.size(), labelsBefore + 1) << "success without exactly one label";
      EXPECT_TRUE(printedAs(labels.back(), bitmap)) << "success with a different label";
    } else {
      ++failed;
      ++failureCodes[code];
      EXPECT_NE(code, 0u) << "failure without an error code in " << step << " command "
                          << faultName(command.fault) << " " << command.afterBytes << " finish "
                          << faultName(finish.fault) << " " << finish.afterBytes << " "
                          << finish.delayMs << " took "
                          << std::chrono::duration<double>(took).count();
    }
    // Let the printer finish whatever a broken job left, so the next job starts clean.
    proxy.arm(ProxyPort::Command, {});
    proxy.arm(ProxyPort::Finish, {});
    sim_.waitForNoOpenConnections(2s);
  }
  const ProxyCounts counts = proxy.counts();
  std::printf(
      "soak: %d jobs in %.1f s (longest %.2f s): %d printed exactly, %d failed with a code\n", jobs,
      std::chrono::duration<double>(Clock::now() - soakStart).count(),
      std::chrono::duration<double>(longest).count(), printed, failed);
  std::printf("soak: faults armed:");
  for (const auto& [name, count] : armed) std::printf(" %s %d,", name.c_str(), count);
  std::printf("\nsoak: proxy: %d connections, %d resets and %d closes fired\nsoak: failure codes:",
              counts.connections, counts.resets, counts.closes);
  for (const auto& [code, count] : failureCodes) std::printf(" %u x%d", code, count);
  std::printf("\n");
  EXPECT_EQ(printed, kLabels);
}

}  // namespace
}  // namespace nypr::test
