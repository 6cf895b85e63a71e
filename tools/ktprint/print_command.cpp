// ktprint print / feed / cut / stop.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>

#include "commands.h"
#include "console.h"
#include "label_image.h"
#include "label_job.h"
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

// The label's size and print conditions as the host library takes them.
nypr::host::LabelJob labelJob(const GlobalOptions& options, const PrintOptions& p,
                              uint16_t widthTenths, uint16_t lengthTenths) {
  nypr::host::LabelJob label;
  label.printer = options.printer;
  label.widthTenths = widthTenths;
  label.lengthTenths = lengthTenths;
  label.gapTenths = static_cast<int>(tenthsOfMm(p.gapMm));
  label.speed = p.speed;
  label.thermalTransfer = p.thermalTransfer;
  label.peel = p.peel;
  label.cutEveryLabel = p.cut;
  label.mirror = p.mirror;
  return label;
}

// What ktprint says when a job fails at that step.
const char* failedStep(nypr::host::JobResult::Step step) {
  using Step = nypr::host::JobResult::Step;
  switch (step) {
    case Step::Open:
      return tr("cannot open the printer");
    case Step::Ready:
      return tr("the printer is not ready");
    case Step::Send:
      return tr("the label was not sent");
    case Step::Stop:
      return tr("the printer did not stop");
    default:
      return tr("printing failed");
  }
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
  uint16_t widthTenths = 0;
  uint16_t lengthTenths = 0;
  if (!labelTenths(p.widthMm > 0 ? tenthsOfMm(p.widthMm) : tenthsOfDots(image->widthDots),
                   p.lengthMm > 0 ? tenthsOfMm(p.lengthMm) : tenthsOfDots(image->heightDots),
                   widthTenths, lengthTenths)) {
    return kExitUsage;
  }
  nypr::host::LabelJob label = labelJob(options, p, widthTenths, lengthTenths);
  label.bitmap = image->bitmap.handle();
  label.widthDots = image->widthDots;
  label.heightDots = image->heightDots;
  label.copies = p.copies;
  label.driverDarkness = true;
  label.askBackfeed = true;

  catchInterrupts(onInterrupt);
  Progress progress(p.copies);
  progress.show(0);
  bool stopSent = false;
  bool peelNoticeShown = false;
  nypr::host::JobEvents events;
  // Ctrl-C stops the printer's job; a second one waits no longer for the printer to confirm.
  events.cancelled = [] { return g_interrupts.load() > 0; };
  events.abandoned = [] { return g_interrupts.load() > 1; };
  events.progress = [&](int issued) { progress.show(issued); };
  events.stopping = [&] {
    stopSent = true;
    progress.end();
    std::cerr << "ktprint: " << tr("stopping the job") << "\n";
  };
  events.peeler = [&](bool waiting, const std::string&) {
    if (!waiting || peelNoticeShown) return;
    progress.end();
    std::cerr << "ktprint: " << driverErrorText(options.printer) << "\n";
    peelNoticeShown = true;
  };
  // More copies than one print command carries (9999) are issued as consecutive jobs.
  const nypr::host::JobResult result = nypr::host::runLabelJob(label, events);
  int rc = kExitOk;
  if (result.outcome == nypr::host::JobResult::Outcome::Stopped) {
    progress.end();
    if (stopSent) std::cerr << "ktprint: " << tr("job stopped") << "\n";
    rc = kExitInterrupted;
  } else if (result.outcome == nypr::host::JobResult::Outcome::Failed) {
    progress.end();
    rc = fail(options, failedStep(result.step));
  }
  progress.end();
  if (rc != kExitOk) std::cerr << "ktprint: " << progress.issuedText(result.issued) << "\n";
  releaseInterrupts();
  return rc;
}

int runFeed(const GlobalOptions& options, const PrintOptions& label) {
  setUpHost(options);
  uint16_t widthTenths = 0;
  uint16_t lengthTenths = 0;
  if (!labelTenths(tenthsOfMm(label.widthMm), tenthsOfMm(label.lengthMm), widthTenths,
                   lengthTenths)) {
    return kExitUsage;
  }
  nypr::host::HostRecords records;
  nypr::host::fillRecords(records, labelJob(options, label, widthTenths, lengthTenths));
  const auto printer = static_cast<uint8_t>(options.printer);
  if (NyPrInitPrinter(printer, &records.job) != 0) {
    return fail(options, tr("cannot open the printer"));
  }
  int ok = NyPrFeedLabel(printer, &records.job);
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  if (ok == 0) return fail(options, tr("the label was not fed"));
  std::cout << tr("one label fed") << "\n";
  return kExitOk;
}

int runCut(const GlobalOptions& options) {
  setUpHost(options);
  nypr::host::HostRecords records;
  const auto printer = static_cast<uint8_t>(options.printer);
  if (NyPrInitPrinter(printer, &records.job) != 0) {
    return fail(options, tr("cannot open the printer"));
  }
  int ok = NyPrSendPrintAutoCut(static_cast<uint8_t>(options.printer - 1));
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  if (ok == 0) return fail(options, tr("the printer did not cut"));
  std::cout << tr("cut") << "\n";
  return kExitOk;
}

int runStop(const GlobalOptions& options) {
  setUpHost(options);
  nypr::host::HostRecords records;
  const auto printer = static_cast<uint8_t>(options.printer);
  if (NyPrInitPrinter(printer, &records.job) != 0) {
    return fail(options, tr("cannot open the printer"));
  }
  int ok = NyPrStopPrint(printer);
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  if (ok == 0) return fail(options, tr("the printer did not stop"));
  std::cout << tr("stopped") << "\n";
  return kExitOk;
}

}  // namespace ktprint
