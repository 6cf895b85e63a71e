#include "label_job.h"

#include <algorithm>

#include "driver_reasons.h"
#include "driver_text.h"
#include "host_bitmap.h"

namespace nypr::host {
namespace {

constexpr int kMaxCopiesPerJob = 9999;  // the most one print command carries
constexpr uint16_t kDefaultSpeed = 100;
constexpr int kUnexplainedFailures = 3;  // failed polls in a row without a code end a job
constexpr int kStopReads = 8;            // reads for the printer's report of a stop

// 0.1 mm of a dot count at 12 dots/mm, rounded up so that the label the driver sends is
// never shorter or narrower than the picture.
uint16_t tenthsOfDots(int dots) {
  return static_cast<uint16_t>((dots * 10 + 11) / 12);
}

JobResult failed(int printer, JobResult::Step where, const char* step, int issued) {
  JobResult result;
  result.step = where;
  result.issued = issued;
  const DriverError error = lastDriverError(printer);
  result.errorCode = error.code;
  result.message = error.message.empty() ? step : error.message;
  NyPrClosePrinter(static_cast<uint8_t>(printer - 1));
  return result;
}

JobResult stopped(int issued) {
  JobResult result;
  result.outcome = JobResult::Outcome::Stopped;
  result.issued = issued;
  return result;
}

JobResult stopJob(int printer, int issued, const JobEvents& events) {
  if (events.stopping) events.stopping();
  if (NyPrStopPrint(static_cast<uint8_t>(printer)) == 0) {
    return failed(printer, JobResult::Step::Stop, "the printer did not stop", issued);
  }
  // The printer confirms the stop with a last finish report; read it so that the next
  // job starts on a quiet connection.
  for (int reads = 0; reads < kStopReads; ++reads) {
    if (events.abandoned && events.abandoned()) break;
    uint16_t remaining = 0;
    const int32_t r = NyPrIsPrintFinished(static_cast<uint8_t>(printer), &remaining, 0, 0);
    if (r != 0 && r != 2 && r != -2) break;
  }
  NyPrClosePrinter(static_cast<uint8_t>(printer - 1));
  return stopped(issued);
}

// Opens the printer for the job; a printer that cannot be reached is opened again while
// the host wants. `result` is set unless it opened.
bool openPrinter(int printer, HostRecords& records, const JobEvents& events, int before,
                 JobResult& result) {
  for (;;) {
    if (events.connecting) events.connecting();
    const bool opened = NyPrInitPrinter(static_cast<uint8_t>(printer), &records.job) == 0;
    if (events.connected) events.connected(opened);
    if (opened) return true;
    if (events.unreachable) {
      const DriverError error = lastDriverError(printer);
      if (driverResult(error.code).outcome == JobOutcome::Retry &&
          events.unreachable(error.code, error.message)) {
        continue;
      }
    }
    // A job cancelled while the printer was being opened has nothing to stop.
    result = events.cancelled && events.cancelled()
                 ? stopped(before)
                 : failed(printer, JobResult::Step::Open, "cannot open the printer", before);
    return false;
  }
}

// One print command of `copies` labels, followed to its last finish report. `before`:
// labels issued by earlier print commands of the same job.
JobResult printCommand(const LabelJob& label, NyHbitmap picture, int copies, int before,
                       const JobEvents& events) {
  const int printer = label.printer;
  const auto number = static_cast<uint8_t>(printer);
  HostRecords records;
  fillRecords(records, label);
  if (events.cancelled && events.cancelled()) return stopped(before);
  JobResult notOpened;
  if (!openPrinter(printer, records, events, before, notOpened)) return notOpened;
  if (!label.driverDarkness) {
    records.printCond.Cond4UW = darknessFor(printer, label.darkness, records.printCond.Cond2UW);
  }
  if (NyPrIsPrintReady(static_cast<uint8_t>(printer - 1), 1) == 0) {
    return failed(printer, JobResult::Step::Ready, "the printer is not ready", before);
  }
  if (events.sending) events.sending(copies);
  if (label.bitmap != nullptr) records.job.hLabelBitmap = label.bitmap;
  uint32_t confirm = 1;
  if (NyPrPrintOneLabel(number, copies, picture, &records.job,
                        label.askBackfeed ? &confirm : nullptr) != 0) {
    return failed(printer, JobResult::Step::Send, "the label was not sent", before);
  }

  int issued = 0;
  int unexplained = 0;
  bool waitingAtPeeler = false;
  for (;;) {
    if (events.cancelled && events.cancelled()) return stopJob(printer, before + issued, events);
    uint16_t remaining = static_cast<uint16_t>(copies);
    const int32_t r = NyPrIsPrintFinished(number, &remaining, 0, 0);
    if (r == 2) continue;  // busy
    if (r == -2) {         // a label waits at the peeler to be taken
      if (!waitingAtPeeler && events.peeler) events.peeler(true, lastDriverError(printer).message);
      waitingAtPeeler = true;
      continue;
    }
    // A read that ends inside a finish report fails the poll without an error code while
    // the job goes on; a connection that is really gone keeps failing and ends the job.
    if (r == -1 && NyPrGetPrintError(number, nullptr, 0) == 0 &&
        ++unexplained < kUnexplainedFailures) {
      continue;
    }
    if (r < 0) {
      // The report of a fault still says how many labels were issued before it: a job
      // taken up again later must not print those twice.
      if (remaining <= copies) issued = std::max(issued, copies - static_cast<int>(remaining));
      return failed(printer, JobResult::Step::Report, "the printer stopped reporting",
                    before + issued);
    }
    unexplained = 0;
    if (waitingAtPeeler && events.peeler) events.peeler(false, std::string());
    waitingAtPeeler = false;
    const int now = r == 1 ? copies : copies - std::min<int>(remaining, copies);
    if (now > issued) {
      issued = now;
      if (events.progress) events.progress(before + issued);
    }
    if (r == 1) break;
  }
  NyPrClosePrinter(static_cast<uint8_t>(printer - 1));
  JobResult result;
  result.outcome = JobResult::Outcome::Completed;
  result.issued = before + issued;
  return result;
}

}  // namespace

HostRecords::HostRecords() {
  job.lpLabelFormat = &labelFormat;
  job.lpPrintCond = &printCond;
  job.lpAllowFlag100 = &allowFlag100;
  job.lpAllowFlag80A = &allowFlag80A;
  job.lpAllowFlag80B = &allowFlag80B;
  job.lpFlagWord = &flagWord;
}

void fillRecords(HostRecords& records, const LabelJob& label) {
  records.labelFormat.WidthUW = label.widthTenths > 0 ? static_cast<uint16_t>(label.widthTenths)
                                                      : tenthsOfDots(label.widthDots);
  records.labelFormat.LengthUW = label.lengthTenths > 0 ? static_cast<uint16_t>(label.lengthTenths)
                                                        : tenthsOfDots(label.heightDots);
  records.labelFormat.GapUW = static_cast<uint16_t>(label.gapTenths);
  records.printCond.Cond2UW = label.speed > 0 ? static_cast<uint16_t>(label.speed) : kDefaultSpeed;
  records.printCond.CountUW = 1;
  records.printCond.PrinterNoUB = static_cast<uint8_t>(label.printer);
  uint16_t flags = 0;
  if (label.thermalTransfer) flags |= NYPR_COND_THERMAL_TRANSFER;
  if (label.markSensing) flags |= NYPR_COND_FLAG_2;
  if (label.peel) flags |= NYPR_COND_AUTO_PEEL;
  if (label.cutEveryLabel) flags |= NYPR_COND_AUTO_CUT;
  records.printCond.OptionFlagsUW = flags;
  records.labelFormat.MirrorFlagsUL = label.mirror ? 1u : 0u;
}

uint16_t darknessFor(int printer, int wanted, uint16_t speed) {
  struct {
    uint16_t speed;
    uint16_t limit;
    uint32_t mode;
  } query{speed, 0, 0};
  NyPrIoControl(static_cast<uint8_t>(printer), 3, &query, nullptr);
  if (query.limit == 0) return static_cast<uint16_t>(std::max(wanted, 0));
  if (wanted <= 0 || wanted > query.limit) return query.limit;
  return static_cast<uint16_t>(wanted);
}

std::vector<uint8_t> driverBits(const LabelJob& label, int& stride) {
  stride = (label.widthDots + 15) / 16 * 2;
  std::vector<uint8_t> bits(static_cast<size_t>(stride) * static_cast<size_t>(label.heightDots),
                            0xFF);
  for (int y = 0; y < label.heightDots; ++y) {
    const uint8_t* in = label.dots + static_cast<size_t>(y) * static_cast<size_t>(label.stride);
    uint8_t* out = bits.data() + static_cast<size_t>(y) * static_cast<size_t>(stride);
    for (int x = 0; x < (label.widthDots + 7) / 8; ++x) out[x] = static_cast<uint8_t>(~in[x]);
  }
  return bits;
}

JobResult runLabelJob(const LabelJob& label, const JobEvents& events) {
  JobResult result;
  const bool haveDots = label.dots != nullptr && label.stride >= (label.widthDots + 7) / 8;
  if (label.printer < 1 || label.printer > 8 || label.widthDots <= 0 || label.heightDots <= 0 ||
      (label.bitmap == nullptr && !haveDots) || label.copies < 1) {
    result.message = "no label to print";
    return result;
  }
  HostBitmap bitmap;
  std::vector<uint8_t> bits;
  if (label.bitmap == nullptr) {
    int stride = label.stride;
    if (!label.driverLayout) bits = driverBits(label, stride);
    if (!bitmap.make(label.widthDots, label.heightDots,
                     label.driverLayout ? label.dots : bits.data(), stride)) {
      result.message = "no bitmap for the label";
      return result;
    }
  }
  const NyHbitmap picture = label.bitmap != nullptr ? label.bitmap : bitmap.handle();
  int issued = 0;
  for (int left = label.copies; left > 0;) {
    const int copies = std::min(left, kMaxCopiesPerJob);
    result = printCommand(label, picture, copies, issued, events);
    if (result.outcome != JobResult::Outcome::Completed) return result;
    issued = result.issued;
    left -= copies;
  }
  return result;
}

}  // namespace nypr::host
