#include "label_printer.h"

#include <cups/backend.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "driver_status.h"
#include "driver_text.h"
#include "label_job.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "printer_address.h"

namespace nypr::cups {
namespace {

constexpr int kPrinter = 1;  // host printer number; slot index kPrinter - 1
constexpr uint8_t kSlot = 0;
constexpr int kFirstRetrySeconds = 1;
constexpr int kLastRetrySeconds = 30;

int messageBox(void*, NyHwnd, const char* text, const char* caption, uint32_t) {
  std::fprintf(stderr, "DEBUG: %s: %s\n", host::utf8Line(caption ? caption : "").c_str(),
               host::utf8Line(text ? text : "").c_str());
  return 1;
}

host::LabelJob labelJob(const LabelPage& page) {
  host::LabelJob label;
  label.printer = kPrinter;
  label.widthDots = page.widthDots;
  label.heightDots = page.heightDots;
  label.stride = page.stride();
  label.dots = page.bits.data();
  label.driverLayout = true;
  label.copies = page.copies;
  label.gapTenths = page.gapTenths;
  label.speed = page.speed;
  label.darkness = page.darkness;
  label.thermalTransfer = page.thermalTransfer;
  label.peel = page.peel;
  label.cutEveryLabel = page.cut == CutMode::EveryLabel;
  return label;
}

const char* stepText(host::JobResult::Step step) {
  switch (step) {
    case host::JobResult::Step::Open:
      return "Unable to open the printer";
    case host::JobResult::Step::Ready:
      return "The printer is not ready";
    case host::JobResult::Step::Send:
      return "The label was not sent";
    case host::JobResult::Step::Report:
      return "The printer stopped reporting";
    case host::JobResult::Step::Stop:
      return "The printer did not stop";
    case host::JobResult::Step::None:
      break;
  }
  return "The label cannot be printed";
}

// A failed step on standard error: the reason it raises and the driver's message.
int failure(uint32_t code, const std::string& message, const char* step) {
  if (code == 0) {
    std::fprintf(stderr, "ERROR: %s\n", step);
    return CUPS_BACKEND_FAILED;
  }
  std::fprintf(stderr, "STATE: +%s\n", backendReason(code).c_str());
  std::fprintf(stderr, "ERROR: [%u] %s\n", code, message.c_str());
  return backendStatus(code);
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
  if (!host::storePrinterAddress(kPrinter, address, false)) {
    std::fprintf(stderr, "ERROR: Unable to write the printer settings file %s\n", iniPath_.c_str());
    return false;
  }
  return true;
}

bool LabelPrinter::waitToRetry(uint32_t code, const std::string& message) {
  // A printer that cannot be reached (switched off, out of the network) is tried again
  // and again, as CUPS's network backends do, until it answers or the job is cancelled.
  std::fprintf(stderr, "STATE: +offline-report\n");
  std::fprintf(stderr, "INFO: [%u] %s (trying again in %d s)\n", code, message.c_str(),
               retryDelay_);
  for (int tenths = 0; tenths < retryDelay_ * 10; ++tenths) {
    if (cancelled_) return false;
    ::usleep(100000);
  }
  retryDelay_ = retryDelay_ * 2 > kLastRetrySeconds ? kLastRetrySeconds : retryDelay_ * 2;
  return true;
}

int LabelPrinter::print(const LabelPage& page, int pageNumber) {
  host::JobEvents events;
  events.cancelled = [this] { return cancelled_.load(); };
  events.connecting = [] { std::fprintf(stderr, "STATE: +connecting-to-device\n"); };
  events.connected = [this](bool opened) {
    std::fprintf(stderr, "STATE: -connecting-to-device\n");
    if (opened) std::fprintf(stderr, "STATE: -offline-report\n");
  };
  events.unreachable = [this](uint32_t code, const std::string& message) {
    return waitToRetry(code, message);
  };
  int commandCopies = 0;  // labels of the running print command
  int commandBase = 0;    // labels of the page issued before it
  int issued = 0;
  events.sending = [&](int copies) {
    retryDelay_ = kFirstRetrySeconds;
    commandCopies = copies;
    commandBase = issued;
    std::fprintf(stderr, "STATE: -%s\n", allBackendReasons());
    std::fprintf(stderr, "INFO: Printing label %d (%d copies)\n", pageNumber, copies);
  };
  events.progress = [&](int total) {
    std::fprintf(stderr, "PAGE: %d %d\n", pageNumber, total - issued);
    std::fprintf(stderr, "INFO: Label %d: %d of %d issued\n", pageNumber, total - commandBase,
                 commandCopies);
    issued = total;
  };
  events.peeler = [](bool waiting, const std::string& message) {
    if (waiting) {
      std::fprintf(stderr, "STATE: +output-area-full-report\n");
      std::fprintf(stderr, "INFO: %s\n", message.c_str());
    } else {
      std::fprintf(stderr, "STATE: -output-area-full-report\n");
    }
  };
  bool stopping = false;
  events.stopping = [&stopping] {
    std::fprintf(stderr, "INFO: Stopping the printer's job\n");
    stopping = true;
  };
  retryDelay_ = kFirstRetrySeconds;
  const host::JobResult result = host::runLabelJob(labelJob(page), events);
  switch (result.outcome) {
    case host::JobResult::Outcome::Completed:
      return CUPS_BACKEND_OK;
    case host::JobResult::Outcome::Stopped:
      if (stopping) std::fprintf(stderr, "INFO: The printer's job was stopped\n");
      return CUPS_BACKEND_OK;
    case host::JobResult::Outcome::Failed:
      break;
  }
  return failure(result.errorCode, result.message, stepText(result.step));
}

int LabelPrinter::cut() {
  if (cancelled_) return CUPS_BACKEND_OK;
  host::HostRecords records;
  host::fillRecords(records, labelJob(LabelPage{}));
  if (NyPrInitPrinter(kPrinter, &records.job) != 0) {
    const host::DriverError error = host::lastDriverError(kPrinter);
    NyPrClosePrinter(kSlot);
    return failure(error.code, error.message, "Unable to open the printer");
  }
  if (NyPrSendPrintAutoCut(kSlot) == 0) {
    const host::DriverError error = host::lastDriverError(kPrinter);
    NyPrClosePrinter(kSlot);
    return failure(error.code, error.message, "The printer did not cut");
  }
  NyPrClosePrinter(kSlot);
  return CUPS_BACKEND_OK;
}

}  // namespace nypr::cups
