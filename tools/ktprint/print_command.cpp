// ktprint print / feed / cut / stop.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>

#include "commands.h"
#include "console.h"
#include "label_image.h"
#include "terminal_text.h"
#include "translation.h"

namespace ktprint {
namespace {

std::atomic<int> g_interrupts{0};

void onInterrupt() {
  g_interrupts.fetch_add(1);
}

// 0.1 mm units of a length in millimetres (the options' ranges keep it finite and small).
int64_t tenthsOfMm(double mm) {
  return static_cast<int64_t>(mm * 10.0 + 0.5);
}
// Dots of a length in 0.1 mm, as the driver counts them (12 dots/mm, halves up).
int64_t dotsOfTenths(int64_t tenths) {
  return (tenths * 120 + 50) / 100;
}
// 0.1 mm units of a dot count at 12 dots/mm.
int64_t tenthsOfDots(int64_t dots) {
  return (dots * 10 + 6) / 12;
}
// The label's size in 0.1 mm as the print command carries it: false (and the limit
// passed on standard error) when it is wider or longer than the printer takes.
bool labelTenths(int64_t width, int64_t length, uint16_t& widthField, uint16_t& lengthField) {
  if (dotsOfTenths(width) > kHeadWidthDots) {
    std::cerr << "ktprint: " << tr("the label is wider than 80 mm") << "\n";
    return false;
  }
  if (dotsOfTenths(length) > kMaxLengthDots) {
    std::cerr << "ktprint: " << tr("the label is longer than 833.2 mm") << "\n";
    return false;
  }
  widthField = static_cast<uint16_t>(width);
  lengthField = static_cast<uint16_t>(length);
  return true;
}

// Progress over all the jobs of one print: copies issued so far of the copies wanted.
class Progress {
 public:
  explicit Progress(int total) : total_(total), terminal_(standardOutputIsTerminal()) {}
  void show(int issued) {
    if (issued == last_) return;
    last_ = issued;
    if (terminal_) {
      constexpr int kBar = 30;
      int filled = total_ > 0 ? static_cast<int>(int64_t{issued} * kBar / total_) : kBar;
      std::string bar(static_cast<size_t>(filled), '#');
      bar.resize(kBar, '.');
      std::cout << "\r" << issuedText(issued) << " [" << bar << "]";
    } else {
      std::cout << issuedText(issued) << "\n";
    }
    std::cout.flush();
  }
  void end() {
    if (terminal_ && last_ >= 0) std::cout << "\n";
    std::cout.flush();
  }
  std::string issuedText(int issued) const {
    char text[128];
    std::snprintf(text, sizeof text, tr("copies issued %d of %d"), issued, total_);
    return text;
  }

 private:
  int total_;
  bool terminal_;
  int last_ = -1;
};

int fail(const GlobalOptions& options, const char* what) {
  reportFailure(options.printer, what);
  return kExitFailed;
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
  job.labelFormat.GapUW = static_cast<uint16_t>(tenthsOfMm(p.gapMm));
}

// Failed polls without an error code that end a job when they come in a row.
constexpr int kUnexplainedFailures = 3;

struct JobEnd {
  int exitCode = kExitOk;
  int issued = 0;  // copies of this job issued, as far as the printer told
};

// Follows one job of `copies` until its end, showing progress after `before` copies of
// earlier jobs; Ctrl-C stops it.
JobEnd followJob(const GlobalOptions& options, int copies, int before, Progress& progress) {
  const auto printer = static_cast<uint8_t>(options.printer);
  bool stopSent = false;
  bool peelNoticeShown = false;
  int remaining = copies;  // as the printer last reported
  int unexplained = 0;     // failed polls in a row that left no error code
  for (;;) {
    if (g_interrupts.load() > 0 && !stopSent) {
      stopSent = true;
      progress.end();
      std::cerr << "ktprint: " << tr("stopping the job") << "\n";
      if (NyPrStopPrint(printer) == 0) {
        return {fail(options, tr("the printer did not stop")), copies - remaining};
      }
    }
    if (g_interrupts.load() > 1) return {kExitInterrupted, copies - remaining};
    uint16_t reported = static_cast<uint16_t>(remaining);
    int32_t r = NyPrIsPrintFinished(printer, &reported, 0, 0);
    if (r == 1) {
      progress.show(before + copies);
      return {kExitOk, copies};
    }
    if (reported <= copies) remaining = reported;
    if (r == 0) progress.show(before + copies - remaining);
    if (r == -2 && !peelNoticeShown) {
      progress.end();
      std::cerr << "ktprint: " << driverErrorText(options.printer) << "\n";
      peelNoticeShown = true;
    }
    // A read that ends inside a finish report fails the poll without an error code while
    // the job goes on (reports come faster than they are read); the next poll reads the
    // rest. A connection that is really gone keeps failing and ends the job below.
    if (r == -1 && !stopSent && NyPrGetPrintError(printer, nullptr, 0) == 0 &&
        ++unexplained < kUnexplainedFailures) {
      continue;
    }
    if (r != -1) unexplained = 0;
    if (r == -1 || r == -3 || r == -4) {
      progress.end();
      NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
      if (stopSent) {
        std::cerr << "ktprint: " << tr("job stopped") << "\n";
        return {kExitInterrupted, copies - remaining};
      }
      return {fail(options, tr("printing failed")), copies - remaining};
    }
  }
}

// One job: open, check, send the label, follow it to its end.
JobEnd printJob(const GlobalOptions& options, LabelImage& image, HostJob& job, int copies,
                int before, Progress& progress) {
  const auto printer = static_cast<uint8_t>(options.printer);
  const auto slot = static_cast<uint8_t>(options.printer - 1);
  if (NyPrInitPrinter(printer, &job.job) != 0) {
    NyPrClosePrinter(slot);
    return {fail(options, tr("cannot open the printer")), 0};
  }
  if (NyPrIsPrintReady(slot, 1) == 0) {
    NyPrClosePrinter(slot);
    return {fail(options, tr("the printer is not ready")), 0};
  }
  uint32_t confirm = 1;
  if (NyPrPrintOneLabel(printer, copies, image.bitmap.handle(), &job.job, &confirm) != 0) {
    NyPrClosePrinter(slot);
    return {fail(options, tr("the label was not sent")), 0};
  }
  JobEnd end = followJob(options, copies, before, progress);
  NyPrClosePrinter(slot);
  return end;
}

}  // namespace

int runPrint(const GlobalOptions& options, const PrintOptions& p) {
  setUpHost(options);
  PictureOptions picture;
  // Sizes beyond the label's limits stay beyond them (the picture's plan refuses them).
  const int64_t kBeyond = int64_t{kMaxLengthDots} + 1;
  picture.widthDots =
      p.widthMm > 0 ? static_cast<int>(std::min(dotsOfTenths(tenthsOfMm(p.widthMm)), kBeyond)) : 0;
  picture.heightDots =
      p.lengthMm > 0 ? static_cast<int>(std::min(dotsOfTenths(tenthsOfMm(p.lengthMm)), kBeyond))
                     : 0;
  picture.threshold = p.threshold;
  picture.dither = p.dither;
  picture.fit = p.fit;
  picture.rotate = p.rotate;
  std::string error;
  auto image = loadLabelImage(p.imagePath, picture, error);
  if (!image) {
    std::cerr << "ktprint: " << error << "\n";
    return kExitUsage;
  }
  if (!p.previewPath.empty()) {
    if (!writePreview(*image, p.mirror, p.previewPath)) {
      std::cerr << "ktprint: " << tr("cannot write") << " " << p.previewPath << "\n";
      return kExitUsage;
    }
    std::cout << p.previewPath << ": " << image->widthDots << " x " << image->heightDots << "\n";
    return kExitOk;
  }
  HostJob job;
  if (!labelTenths(p.widthMm > 0 ? tenthsOfMm(p.widthMm) : tenthsOfDots(image->widthDots),
                   p.lengthMm > 0 ? tenthsOfMm(p.lengthMm) : tenthsOfDots(image->heightDots),
                   job.labelFormat.WidthUW, job.labelFormat.LengthUW)) {
    return kExitUsage;
  }
  fillConditions(job, p, options.printer);
  job.job.hLabelBitmap = image->bitmap.handle();

  catchInterrupts(onInterrupt);
  Progress progress(p.copies);
  progress.show(0);
  int issued = 0;
  int rc = kExitOk;
  // One print command carries at most 9999 copies: more are issued as consecutive jobs.
  while (issued < p.copies && rc == kExitOk) {
    if (g_interrupts.load() > 0) {
      rc = kExitInterrupted;
      break;
    }
    int copies = std::min(p.copies - issued, kMaxCopiesPerJob);
    JobEnd end = printJob(options, *image, job, copies, issued, progress);
    issued += end.issued;
    rc = end.exitCode;
  }
  progress.end();
  if (rc != kExitOk) std::cerr << "ktprint: " << progress.issuedText(issued) << "\n";
  releaseInterrupts();
  return rc;
}

int runFeed(const GlobalOptions& options, const PrintOptions& label) {
  setUpHost(options);
  HostJob job;
  if (!labelTenths(tenthsOfMm(label.widthMm), tenthsOfMm(label.lengthMm), job.labelFormat.WidthUW,
                   job.labelFormat.LengthUW)) {
    return kExitUsage;
  }
  fillConditions(job, label, options.printer);
  const auto printer = static_cast<uint8_t>(options.printer);
  if (NyPrInitPrinter(printer, &job.job) != 0) return fail(options, tr("cannot open the printer"));
  int ok = NyPrFeedLabel(printer, &job.job);
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  if (ok == 0) return fail(options, tr("the label was not fed"));
  std::cout << tr("one label fed") << "\n";
  return kExitOk;
}

int runCut(const GlobalOptions& options) {
  setUpHost(options);
  HostJob job;
  const auto printer = static_cast<uint8_t>(options.printer);
  if (NyPrInitPrinter(printer, &job.job) != 0) return fail(options, tr("cannot open the printer"));
  int ok = NyPrSendPrintAutoCut(static_cast<uint8_t>(options.printer - 1));
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  if (ok == 0) return fail(options, tr("the printer did not cut"));
  std::cout << tr("cut") << "\n";
  return kExitOk;
}

int runStop(const GlobalOptions& options) {
  setUpHost(options);
  HostJob job;
  const auto printer = static_cast<uint8_t>(options.printer);
  if (NyPrInitPrinter(printer, &job.job) != 0) return fail(options, tr("cannot open the printer"));
  int ok = NyPrStopPrint(printer);
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  if (ok == 0) return fail(options, tr("the printer did not stop"));
  std::cout << tr("stopped") << "\n";
  return kExitOk;
}

}  // namespace ktprint
