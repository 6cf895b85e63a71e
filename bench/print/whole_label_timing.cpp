// The whole label printed through the exported interface, timed without Google Benchmark
// so the same program runs natively and as the Windows DLL's host under wine: each label
// is timed from NyPrPrintOneLabel's call to its return (the raster sent); the wait for the
// printer's finish report between labels is not timed. Prints one line of key=value pairs
// on standard output:
//   whole_label platform=... labels=N median_ms=... min_ms=... max_ms=... mean_ms=...
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "label_bitmap.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "scratch_host.h"
#include "whole_label.h"

namespace {

using Clock = std::chrono::steady_clock;

unsigned lastError() {
  return NyPrGetPrintError(1, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
  std::string address;
  int labels = 20;
  int warmup = 2;
  CLI::App app{"Times whole 80 x 500 mm labels printed through the driver module"};
  app.add_option("-a,--address", address, "printer (simulator) address")->required();
  app.add_option("-n,--labels", labels, "labels timed")->check(CLI::Range(1, 10000));
  app.add_option("--warmup", warmup, "labels printed first, not timed")->check(CLI::Range(0, 100));
  CLI11_PARSE(app, argc, argv);
  uint32_t value = 0;
  if (!nypr::bench::addressValue(address, value)) {
    std::fprintf(stderr, "whole_label_timing: bad address %s\n", address.c_str());
    return 2;
  }

  nypr::bench::ScratchHost host("whole_label");
  if (!host.pointPrinterAt(value)) {
    std::fprintf(stderr, "whole_label_timing: cannot write %s\n", host.ini.c_str());
    return 1;
  }

  auto rows = nypr::bench::randomRows(nypr::bench::kRowBytes, nypr::bench::kLengthDots);
  NyHbitmap bitmap =
      nypr::bench::makeLabelBitmap(rows, nypr::bench::kWidthDots, nypr::bench::kLengthDots);
  nypr::bench::WholeLabelJob job;
  if (bitmap == nullptr || NyPrInitPrinter(1, &job.job) != 0) {
    std::fprintf(stderr, "whole_label_timing: printer at %s not ready (error %u)\n",
                 address.c_str(), lastError());
    nypr::bench::deleteLabelBitmap(bitmap);
    return 1;
  }

  std::vector<double> ms;
  int status = 0;
  for (int i = 0; i < warmup + labels; ++i) {
    const auto t0 = Clock::now();
    const int16_t printed = NyPrPrintOneLabel(1, 1, bitmap, &job.job, nullptr);
    const auto t1 = Clock::now();
    if (printed != 0 || NyPrWaitPrintFinished(1, 0) != 1) {
      std::fprintf(stderr, "whole_label_timing: label %d failed (error %u)\n", i + 1, lastError());
      status = 1;
      break;
    }
    if (i >= warmup) ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  NyPrClosePrinter(0);
  nypr::bench::deleteLabelBitmap(bitmap);
  if (status != 0) return status;

  std::sort(ms.begin(), ms.end());
  const size_t n = ms.size();
  const double median = n % 2 == 1 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
  double sum = 0;
  for (double m : ms) sum += m;
  std::printf(
      "whole_label platform=%s labels=%zu median_ms=%.2f min_ms=%.2f max_ms=%.2f mean_ms=%.2f\n",
      NYPR_BENCH_PLATFORM, n, median, ms.front(), ms.back(), sum / static_cast<double>(n));
  return 0;
}
