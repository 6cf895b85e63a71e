// Printer 2's whole label, timed alone and while printer 1, on another thread, waits out
// a connect time-out (a printer that is switched off: its listener accepts nothing):
//   alone        printer 2 only;
//   init         printer 1's NyPrInitPrinter (its fresh connection, outside any exchange);
//   exchange     printer 1's ready check, whose status exchange connects inside the exchange;
//   aux          printer 1's auto cut, whose exchange on the auxiliary channel connects
//                inside the exchange with its five attempts.
// Each label is timed from NyPrPrintOneLabel's call to its return; labels are printed one
// after another for as long as printer 1's call lasts. One line per case on standard output:
//   two_printers case=... labels=N median_ms=... min_ms=... max_ms=... printer1_ms=...
// The load of a shared machine moves from minute to minute: "alone" is measured before and
// after printer 1's opening, and the fastest label is the figure a busy machine disturbs
// least.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ktsim/simulator.h"
#include "label_bitmap.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "whole_label.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double msSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Printers {
  ktsim::Simulator on;
  ktsim::Simulator off;
  std::filesystem::path dir;
  std::vector<uint8_t> rows =
      nypr::bench::randomRows(nypr::bench::kRowBytes, nypr::bench::kLengthDots);
  NyHbitmap bitmap = nullptr;
  nypr::bench::WholeLabelJob job;

  Printers() {
    on.start();
    off.start();
    off.setAccepting(ktsim::Port::Command, false);
    dir = std::filesystem::temp_directory_path() /
          ("nypr_two_printers_" + std::to_string(Clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    const std::string ini = (dir / "host.ini").string();
    nyhostSetIniPath(ini.c_str());
    nyhostSetModuleDir(dir.string().c_str());
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", off.addressValue());
    nyhostProfileWrite("KT3600R Info", "KT00", hex);
    std::snprintf(hex, sizeof hex, "%08X", on.addressValue());
    nyhostProfileWrite("KT3600R Info", "KT01", hex);
    bitmap = nypr::bench::makeLabelBitmap(rows, nypr::bench::kWidthDots, nypr::bench::kLengthDots);
  }
  ~Printers() {
    NyPrClosePrinter(0);
    NyPrClosePrinter(1);
    nypr::bench::deleteLabelBitmap(bitmap);
    on.stop();
    off.stop();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  // One label on printer 2, its time in ms, or a negative value when it failed.
  double label() {
    const auto t0 = Clock::now();
    const int16_t printed = NyPrPrintOneLabel(2, 1, bitmap, &job.job, nullptr);
    const double ms = msSince(t0);
    if (printed != 0 || !on.waitForJobEnd(10s)) return -1;
    on.clearRecords();
    return ms;
  }
};

void report(const char* name, std::vector<double> ms, double printerOneMs) {
  if (ms.empty()) {
    std::printf("two_printers case=%s labels=0 printer1_ms=%.0f\n", name, printerOneMs);
    return;
  }
  std::sort(ms.begin(), ms.end());
  const size_t n = ms.size();
  const double median = n % 2 == 1 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
  std::printf(
      "two_printers case=%s labels=%zu median_ms=%.1f min_ms=%.1f max_ms=%.1f printer1_ms=%.0f\n",
      name, n, median, ms.front(), ms.back(), printerOneMs);
}

// Labels on printer 2 for as long as `printerOne` runs on its own thread.
template <class Call>
bool whilePrinterOne(Printers& p, const char* name, Call printerOne) {
  std::atomic<bool> done{false};
  const auto t0 = Clock::now();
  double printerOneMs = 0;
  std::thread other([&] {
    printerOne();
    printerOneMs = msSince(t0);
    done = true;
  });
  // Printer 1's thread is in its connect well before this.
  std::this_thread::sleep_for(20ms);
  std::vector<double> ms;
  bool ok = true;
  while (!done) {
    const double t = p.label();
    if (t < 0) {
      ok = false;
      break;
    }
    // A label that ended after printer 1's call counts too: it is the one that waited.
    ms.push_back(t);
  }
  other.join();
  report(name, ms, printerOneMs);
  return ok;
}

}  // namespace

int main() {
  Printers p;
  if (p.bitmap == nullptr || NyPrInitPrinter(2, &p.job.job) != 0) {
    std::fprintf(stderr, "two_printers_timing: printer 2 not ready\n");
    return 1;
  }
  auto alone = [&p](const char* name, int warmup) {
    std::vector<double> ms;
    for (int i = 0; i < warmup + 20; ++i) {
      const double t = p.label();
      if (t < 0) return false;
      if (i >= warmup) ms.push_back(t);
    }
    report(name, ms, 0);
    return true;
  };
  bool ok = alone("alone", 2);
  ok = ok && whilePrinterOne(p, "init", [&p] { NyPrInitPrinter(1, &p.job.job); });
  ok = ok && alone("alone_after", 0);
  // Printer 1's slot now holds its address: its ready check connects inside the status
  // exchange.
  ok = ok && whilePrinterOne(p, "exchange", [] { NyPrIsPrintReady(0, 1); });
  ok = ok && whilePrinterOne(p, "aux", [] { NyPrSendPrintAutoCut(0); });
  return ok ? 0 : 1;
}
