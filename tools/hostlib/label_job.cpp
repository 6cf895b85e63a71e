#include "label_job.h"

#include <algorithm>

#include "driver_text.h"

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

JobResult failed(int printer, const char* step, int issued) {
  JobResult result;
  result.issued = issued;
  const DriverError error = lastDriverError(printer);
  result.errorCode = error.code;
  result.message = error.message.empty() ? step : error.message;
  NyPrClosePrinter(static_cast<uint8_t>(printer - 1));
  return result;
}

// The darkness sent: the one asked for, never above what the printer allows at this
// speed with its head and history-control settings (the driver's contrast limit).
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

JobResult stopJob(int printer, int issued) {
  JobResult result;
  result.issued = issued;
  if (NyPrStopPrint(static_cast<uint8_t>(printer)) == 0) {
    return failed(printer, "the printer did not stop", issued);
  }
  // The printer confirms the stop with a last finish report; read it so that the next
  // job starts on a quiet connection.
  for (int reads = 0; reads < kStopReads; ++reads) {
    uint16_t remaining = 0;
    const int32_t r = NyPrIsPrintFinished(static_cast<uint8_t>(printer), &remaining, 0, 0);
    if (r != 0 && r != 2 && r != -2) break;
  }
  NyPrClosePrinter(static_cast<uint8_t>(printer - 1));
  result.outcome = JobResult::Outcome::Stopped;
  return result;
}

// One print command of `copies` labels, followed to its last finish report. `before`:
// labels issued by earlier print commands of the same job.
JobResult printCommand(const LabelJob& label, std::vector<uint8_t>& bits, int stride, int copies,
                       int before, const JobEvents& events) {
  const int printer = label.printer;
  const auto number = static_cast<uint8_t>(printer);
  HostRecords records;
  records.labelFormat.WidthUW = label.widthTenths > 0 ? static_cast<uint16_t>(label.widthTenths)
                                                      : tenthsOfDots(label.widthDots);
  records.labelFormat.LengthUW = label.lengthTenths > 0 ? static_cast<uint16_t>(label.lengthTenths)
                                                        : tenthsOfDots(label.heightDots);
  records.labelFormat.GapUW = static_cast<uint16_t>(label.gapTenths);
  records.printCond.Cond2UW = label.speed > 0 ? static_cast<uint16_t>(label.speed) : kDefaultSpeed;
  records.printCond.CountUW = 1;
  records.printCond.PrinterNoUB = number;
  uint16_t flags = 0;
  if (label.thermalTransfer) flags |= NYPR_COND_THERMAL_TRANSFER;
  if (label.peel) flags |= NYPR_COND_AUTO_PEEL;
  if (label.cutEveryLabel) flags |= NYPR_COND_AUTO_CUT;
  records.printCond.OptionFlagsUW = flags;

  if (NyPrInitPrinter(number, &records.job) != 0)
    return failed(printer, "cannot open the printer", before);
  records.printCond.Cond4UW = darknessFor(printer, label.darkness, records.printCond.Cond2UW);
  if (NyPrIsPrintReady(static_cast<uint8_t>(printer - 1), 1) == 0) {
    return failed(printer, "the printer is not ready", before);
  }
  NyBitmap bitmap{};
  bitmap.width = label.widthDots;
  bitmap.height = label.heightDots;
  bitmap.bitsPerPixel = 1;
  bitmap.stride = stride;
  bitmap.bits = bits.data();
  if (NyPrPrintOneLabel(number, copies, &bitmap, &records.job, nullptr) != 0) {
    return failed(printer, "the label was not sent", before);
  }

  int issued = 0;
  int unexplained = 0;
  for (;;) {
    if (events.cancelled && events.cancelled()) return stopJob(printer, before + issued);
    uint16_t remaining = static_cast<uint16_t>(copies);
    const int32_t r = NyPrIsPrintFinished(number, &remaining, 0, 0);
    if (r == 2 || r == -2) continue;  // busy, or a label waits at the peeler to be taken
    // A read that ends inside a finish report fails the poll without an error code while
    // the job goes on; a connection that is really gone keeps failing and ends the job.
    if (r == -1 && NyPrGetPrintError(number, nullptr, 0) == 0 &&
        ++unexplained < kUnexplainedFailures) {
      continue;
    }
    if (r < 0) return failed(printer, "the printer stopped reporting", before + issued);
    unexplained = 0;
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
  if (label.printer < 1 || label.printer > 8 || label.widthDots <= 0 || label.heightDots <= 0 ||
      label.stride < (label.widthDots + 7) / 8 || label.dots == nullptr || label.copies < 1) {
    result.message = "no label to print";
    return result;
  }
  int stride = 0;
  std::vector<uint8_t> bits = driverBits(label, stride);
  int issued = 0;
  for (int left = label.copies; left > 0;) {
    const int copies = std::min(left, kMaxCopiesPerJob);
    result = printCommand(label, bits, stride, copies, issued, events);
    if (result.outcome != JobResult::Outcome::Completed) return result;
    issued = result.issued;
    left -= copies;
  }
  return result;
}

}  // namespace nypr::host
