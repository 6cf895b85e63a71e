// ktprint print / feed / cut / stop.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "commands.h"
#include "label_image.h"
#include "terminal_text.h"

namespace ktprint {
namespace {

std::atomic<int> g_interrupts{0};

void onInterrupt(int) {
  g_interrupts.fetch_add(1);
}

// 0.1 mm units of a length in millimetres.
uint16_t tenthsOfMm(double mm) {
  return static_cast<uint16_t>(mm * 10.0 + 0.5);
}
// 0.1 mm units of a dot count at 12 dots/mm.
uint16_t tenthsOfDots(int dots) {
  return static_cast<uint16_t>((dots * 10 + 6) / 12);
}

class Progress {
 public:
  explicit Progress(int total) : total_(total), terminal_(::isatty(1) != 0) {}
  void show(int issued) {
    if (issued == last_) return;
    last_ = issued;
    if (terminal_) {
      constexpr int kBar = 30;
      int filled = total_ > 0 ? issued * kBar / total_ : kBar;
      std::string bar(static_cast<size_t>(filled), '#');
      bar.resize(kBar, '.');
      std::printf("\rcopies issued %d of %d [%s]", issued, total_, bar.c_str());
    } else {
      std::printf("copies issued %d of %d\n", issued, total_);
    }
    std::fflush(stdout);
  }
  void end() {
    if (terminal_ && last_ >= 0) std::printf("\n");
  }

 private:
  int total_;
  bool terminal_;
  int last_ = -1;
};

int fail(const GlobalOptions& options, const char* what) {
  std::cerr << "ktprint: " << what << ": " << driverErrorText(options.printer) << "\n";
  return 1;
}

void fillConditions(HostJob& job, const PrintOptions& p, int printer) {
  job.printCond.Cond2UW = static_cast<uint16_t>(p.speed);
  job.printCond.CountUW = 1;
  job.printCond.PrinterNoUB = static_cast<uint8_t>(printer);
  uint16_t flags = 0;
  if (p.thermalTransfer) flags |= NYPR_COND_THERMAL_TRANSFER;
  if (p.peel) flags |= NYPR_COND_AUTO_PEEL;
  if (p.cut) flags |= NYPR_COND_AUTO_CUT;
  job.printCond.OptionFlagsUW = flags;
  job.labelFormat.MirrorFlagsUL = p.mirror ? 1u : 0u;
  job.labelFormat.GapUW = tenthsOfMm(p.gapMm);
}

// Follows the job until its end, showing progress; Ctrl-C stops it.
int followJob(const GlobalOptions& options, int copies) {
  const auto printer = static_cast<uint8_t>(options.printer);
  Progress progress(copies);
  progress.show(0);
  bool stopSent = false;
  bool peelNoticeShown = false;
  for (;;) {
    if (g_interrupts.load() > 0 && !stopSent) {
      stopSent = true;
      progress.end();
      std::cerr << "ktprint: stopping the job\n";
      if (NyPrStopPrint(printer) == 0) return fail(options, "the printer did not stop");
    }
    if (g_interrupts.load() > 1) return 130;
    uint16_t remaining = 0;
    int32_t r = NyPrIsPrintFinished(printer, &remaining, 0, 0);
    if (r == 1) {
      progress.show(copies);
      progress.end();
      return 0;
    }
    if (r == 0) progress.show(copies - static_cast<int>(remaining));
    if (r == -2 && !peelNoticeShown) {
      progress.end();
      std::cerr << "ktprint: " << driverErrorText(options.printer) << "\n";
      peelNoticeShown = true;
    }
    if (r == -1 || r == -3 || r == -4) {
      progress.end();
      NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
      if (stopSent) {
        std::cerr << "ktprint: job stopped\n";
        return 130;
      }
      return fail(options, "printing failed");
    }
  }
}

}  // namespace

int runPrint(const GlobalOptions& options, const PrintOptions& p) {
  setUpHost(options);
  const int widthDots = p.widthMm > 0 ? static_cast<int>(p.widthMm * 12.0 + 0.5) : 0;
  const int lengthDots = p.lengthMm > 0 ? static_cast<int>(p.lengthMm * 12.0 + 0.5) : 0;
  std::string error;
  auto image = loadLabelImage(p.imagePath, widthDots, lengthDots, error);
  if (!image) {
    std::cerr << "ktprint: " << error << "\n";
    return 2;
  }
  HostJob job;
  job.labelFormat.WidthUW = p.widthMm > 0 ? tenthsOfMm(p.widthMm) : tenthsOfDots(image->widthDots);
  job.labelFormat.LengthUW =
      p.lengthMm > 0 ? tenthsOfMm(p.lengthMm) : tenthsOfDots(image->heightDots);
  fillConditions(job, p, options.printer);
  job.job.hLabelBitmap = &image->bitmap;

  const auto printer = static_cast<uint8_t>(options.printer);
  const auto slot = static_cast<uint8_t>(options.printer - 1);
  if (NyPrInitPrinter(printer, &job.job) != 0) return fail(options, "cannot open the printer");
  if (NyPrIsPrintReady(slot, 1) == 0) {
    NyPrClosePrinter(slot);
    return fail(options, "the printer is not ready");
  }
  std::signal(SIGINT, onInterrupt);
  uint32_t confirm = 1;
  if (NyPrPrintOneLabel(printer, p.copies, &image->bitmap, &job.job, &confirm) != 0) {
    NyPrClosePrinter(slot);
    return fail(options, "the label was not sent");
  }
  int rc = followJob(options, p.copies);
  NyPrClosePrinter(slot);
  std::signal(SIGINT, SIG_DFL);
  return rc;
}

int runFeed(const GlobalOptions& options, const PrintOptions& label) {
  setUpHost(options);
  HostJob job;
  job.labelFormat.WidthUW = tenthsOfMm(label.widthMm);
  job.labelFormat.LengthUW = tenthsOfMm(label.lengthMm);
  fillConditions(job, label, options.printer);
  const auto printer = static_cast<uint8_t>(options.printer);
  if (NyPrInitPrinter(printer, &job.job) != 0) return fail(options, "cannot open the printer");
  int ok = NyPrFeedLabel(printer, &job.job);
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  if (ok == 0) return fail(options, "the label was not fed");
  std::cout << "one label fed\n";
  return 0;
}

int runCut(const GlobalOptions& options) {
  setUpHost(options);
  HostJob job;
  const auto printer = static_cast<uint8_t>(options.printer);
  if (NyPrInitPrinter(printer, &job.job) != 0) return fail(options, "cannot open the printer");
  int ok = NyPrSendPrintAutoCut(static_cast<uint8_t>(options.printer - 1));
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  if (ok == 0) return fail(options, "the printer did not cut");
  std::cout << "cut\n";
  return 0;
}

int runStop(const GlobalOptions& options) {
  setUpHost(options);
  HostJob job;
  const auto printer = static_cast<uint8_t>(options.printer);
  if (NyPrInitPrinter(printer, &job.job) != 0) return fail(options, "cannot open the printer");
  int ok = NyPrStopPrint(printer);
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  if (ok == 0) return fail(options, "the printer did not stop");
  std::cout << "stopped\n";
  return 0;
}

}  // namespace ktprint
