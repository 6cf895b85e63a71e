#include "label_printer.h"

#include <cups/backend.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "driver_status.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::cups {
namespace {

constexpr uint8_t kPrinter = 1;  // host printer number; slot index kPrinter - 1
constexpr uint8_t kSlot = 0;
constexpr int kMaxCopiesPerJob = 9999;  // the most the print conditions carry
constexpr uint16_t kDefaultSpeed = 100;
constexpr int kUnexplainedFailures = 3;  // such polls in a row that end a job
constexpr int kFirstRetrySeconds = 1;
constexpr int kLastRetrySeconds = 30;

// 0.1 mm units of a dot count at 12 dots/mm, rounded up so that the label the driver
// sends is never shorter or narrower than the picture.
uint16_t tenthsOfDots(int dots) {
  return static_cast<uint16_t>((dots * 10 + 11) / 12);
}

int messageBox(void*, NyHwnd, const char* text, const char* caption, uint32_t) {
  std::fprintf(stderr, "DEBUG: %s: %s\n", statusLine(caption).c_str(), statusLine(text).c_str());
  return 1;
}

}  // namespace

// The host records of one job, wired together.
struct HostJob {
  LabelFormatST labelFormat{};
  PrintCondST printCond{};
  int32_t allowFlag100 = 0;
  int32_t allowFlag80A = 0;
  int32_t allowFlag80B = 0;
  uint32_t flagWord = 0;
  PrintJobST job{};

  explicit HostJob(const LabelPage& page) {
    job.lpLabelFormat = &labelFormat;
    job.lpPrintCond = &printCond;
    job.lpAllowFlag100 = &allowFlag100;
    job.lpAllowFlag80A = &allowFlag80A;
    job.lpAllowFlag80B = &allowFlag80B;
    job.lpFlagWord = &flagWord;
    labelFormat.WidthUW = tenthsOfDots(page.widthDots);
    labelFormat.LengthUW = tenthsOfDots(page.heightDots);
    labelFormat.GapUW = static_cast<uint16_t>(page.gapTenths);
    printCond.Cond2UW = page.speed > 0 ? static_cast<uint16_t>(page.speed) : kDefaultSpeed;
    printCond.CountUW = 1;
    printCond.PrinterNoUB = kPrinter;
    uint16_t flags = 0;
    if (page.thermalTransfer) flags |= NYPR_COND_THERMAL_TRANSFER;
    if (page.peel) flags |= NYPR_COND_AUTO_PEEL;
    if (page.cut == CutMode::EveryLabel) flags |= NYPR_COND_AUTO_CUT;
    printCond.OptionFlagsUW = flags;
  }
  HostJob(const HostJob&) = delete;
  HostJob& operator=(const HostJob&) = delete;
};

namespace {

// The darkness sent: the one asked for, never above what the printer allows at this
// speed with its head and history-control settings (the driver's contrast limit).
uint16_t darknessFor(const LabelPage& page, uint16_t speed) {
  struct {
    uint16_t speed;
    uint16_t limit;
    uint32_t mode;
  } query{speed, 0, 0};
  NyPrIoControl(kPrinter, 3, &query, nullptr);
  if (query.limit == 0) return static_cast<uint16_t>(page.darkness);
  if (page.darkness == 0 || page.darkness > query.limit) return query.limit;
  return static_cast<uint16_t>(page.darkness);
}

int backendStatus(JobOutcome outcome) {
  switch (outcome) {
    case JobOutcome::Retry:
      return CUPS_BACKEND_RETRY;
    case JobOutcome::StopQueue:
      return CUPS_BACKEND_STOP;
    case JobOutcome::Cancel:
      return CUPS_BACKEND_CANCEL;
    case JobOutcome::Failed:
      break;
  }
  return CUPS_BACKEND_FAILED;
}

}  // namespace

LabelPrinter::~LabelPrinter() {
  // The folder holds only what the driver wrote for this job.
  std::error_code ec;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

bool LabelPrinter::configure(uint32_t address, const std::string& tempDir) {
  std::string dir = tempDir + "/kt3600r-XXXXXX";
  if (::mkdtemp(dir.data()) == nullptr) {
    std::fprintf(stderr, "ERROR: Unable to make a folder for the printer settings in %s\n",
                 tempDir.c_str());
    return false;
  }
  dir_ = dir;
  iniPath_ = dir_ + "/kt3600r.ini";
  const int fd =
      ::open(iniPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0 || ::close(fd) != 0) {
    std::fprintf(stderr, "ERROR: Unable to create the printer settings file %s\n",
                 iniPath_.c_str());
    return false;
  }
  nyhostSetIniPath(iniPath_.c_str());
  nyhostSetModuleDir(dir_.c_str());
  nyhostSetMessageBoxHandler(&messageBox, nullptr);
  char line[16];
  std::snprintf(line, sizeof line, "%08X", address);
  if (nyhostProfileWrite("KT3600R Info", "KT00", line) == 0) {
    std::fprintf(stderr, "ERROR: Unable to write the printer settings file %s\n", iniPath_.c_str());
    return false;
  }
  return true;
}

int LabelPrinter::failure(const char* step) {
  char text[1024] = {};
  const uint32_t code = NyPrGetPrintError(kPrinter, text, sizeof text);
  NyPrClosePrinter(kSlot);
  if (code == 0) {
    std::fprintf(stderr, "ERROR: %s\n", step);
    return CUPS_BACKEND_FAILED;
  }
  const DriverStatus status = driverStatus(code);
  std::fprintf(stderr, "STATE: +%s\n", status.reason);
  std::fprintf(stderr, "ERROR: [%u] %s\n", code, statusLine(text).c_str());
  return backendStatus(status.outcome);
}

bool LabelPrinter::open(HostJob& job) {
  // A printer that cannot be reached (switched off, out of the network) is tried again
  // and again, as CUPS's network backends do, until it answers or the job is cancelled.
  int delay = kFirstRetrySeconds;
  for (;;) {
    std::fprintf(stderr, "STATE: +connecting-to-device\n");
    const int32_t opened = NyPrInitPrinter(kPrinter, &job.job);
    std::fprintf(stderr, "STATE: -connecting-to-device\n");
    if (opened == 0) {
      std::fprintf(stderr, "STATE: -offline-report\n");
      return true;
    }
    char text[1024] = {};
    const uint32_t code = NyPrGetPrintError(kPrinter, text, sizeof text);
    if (driverStatus(code).outcome != JobOutcome::Retry) return false;
    std::fprintf(stderr, "STATE: +offline-report\n");
    std::fprintf(stderr, "INFO: [%u] %s (trying again in %d s)\n", code, statusLine(text).c_str(),
                 delay);
    for (int tenths = 0; tenths < delay * 10; ++tenths) {
      if (cancelled_) return false;
      ::usleep(100000);
    }
    delay = delay * 2 > kLastRetrySeconds ? kLastRetrySeconds : delay * 2;
  }
}

int LabelPrinter::print(const LabelPage& page, int pageNumber) {
  for (int left = page.copies; left > 0;) {
    const int copies = left > kMaxCopiesPerJob ? kMaxCopiesPerJob : left;
    const int status = printCopies(page, pageNumber, copies);
    if (status != CUPS_BACKEND_OK || cancelled_) return status;
    left -= copies;
  }
  return CUPS_BACKEND_OK;
}

int LabelPrinter::printCopies(const LabelPage& page, int pageNumber, int copies) {
  if (cancelled_) return CUPS_BACKEND_OK;
  HostJob job(page);
  NyBitmap bitmap{};
  bitmap.width = page.widthDots;
  bitmap.height = page.heightDots;
  bitmap.bitsPerPixel = 1;
  bitmap.stride = page.stride();
  bitmap.bits = const_cast<uint8_t*>(page.bits.data());
  if (!open(job)) return cancelled_ ? CUPS_BACKEND_OK : failure("Unable to open the printer");
  job.printCond.Cond4UW = darknessFor(page, job.printCond.Cond2UW);
  if (NyPrIsPrintReady(kSlot, 1) == 0) return failure("The printer is not ready");
  std::fprintf(stderr, "STATE: -%s\n", allBackendReasons());
  std::fprintf(stderr, "INFO: Printing label %d (%d copies)\n", pageNumber, copies);
  if (NyPrPrintOneLabel(kPrinter, copies, &bitmap, &job.job, nullptr) != 0) {
    return failure("The label was not sent");
  }
  return follow(pageNumber, copies);
}

int LabelPrinter::follow(int pageNumber, int copies) {
  int issued = 0;
  int unexplained = 0;  // failed polls in a row that left no error code
  bool waitingAtPeeler = false;
  for (;;) {
    if (cancelled_) return stopJob();
    uint16_t remaining = static_cast<uint16_t>(copies);
    const int32_t r = NyPrIsPrintFinished(kPrinter, &remaining, 0, 0);
    if (r == 2) continue;
    if (r == -2) {
      if (!waitingAtPeeler) {
        char text[512] = {};
        NyPrGetPrintError(kPrinter, text, sizeof text);
        std::fprintf(stderr, "STATE: +output-area-full-report\n");
        std::fprintf(stderr, "INFO: %s\n", statusLine(text).c_str());
        waitingAtPeeler = true;
      }
      continue;
    }
    // A read that ends inside a finish report fails the poll without an error code while
    // the job goes on (reports can come faster than they are read); the next polls read
    // on. A connection that is really gone keeps failing and ends the job.
    if (r == -1 && NyPrGetPrintError(kPrinter, nullptr, 0) == 0 &&
        ++unexplained < kUnexplainedFailures) {
      continue;
    }
    if (r < 0) return failure("The printer stopped reporting");
    unexplained = 0;
    if (waitingAtPeeler) {
      std::fprintf(stderr, "STATE: -output-area-full-report\n");
      waitingAtPeeler = false;
    }
    const int now = r == 1 ? copies : copies - (remaining < copies ? remaining : copies);
    if (now > issued) {
      std::fprintf(stderr, "PAGE: %d %d\n", pageNumber, now - issued);
      std::fprintf(stderr, "INFO: Label %d: %d of %d issued\n", pageNumber, now, copies);
      issued = now;
    }
    if (r == 1) {
      NyPrClosePrinter(kSlot);
      return CUPS_BACKEND_OK;
    }
  }
}

int LabelPrinter::stopJob() {
  std::fprintf(stderr, "INFO: Stopping the printer's job\n");
  if (NyPrStopPrint(kPrinter) == 0) return failure("The printer did not stop");
  // The printer confirms the stop with a last finish report; read it so the next job
  // starts on a quiet connection.
  for (int reads = 0; reads < 8; ++reads) {
    uint16_t remaining = 0;
    const int32_t r = NyPrIsPrintFinished(kPrinter, &remaining, 0, 0);
    if (r != 0 && r != 2 && r != -2) break;
  }
  NyPrClosePrinter(kSlot);
  std::fprintf(stderr, "INFO: The printer's job was stopped\n");
  return CUPS_BACKEND_OK;
}

int LabelPrinter::cut() {
  if (cancelled_) return CUPS_BACKEND_OK;
  HostJob job(LabelPage{});
  if (NyPrInitPrinter(kPrinter, &job.job) != 0) return failure("Unable to open the printer");
  if (NyPrSendPrintAutoCut(kSlot) == 0) return failure("The printer did not cut");
  NyPrClosePrinter(kSlot);
  return CUPS_BACKEND_OK;
}

}  // namespace nypr::cups
