#include "driver/finish_report.h"

#include "link/frame.h"
#include "status/printer_status.h"

namespace nypr {
namespace {

// Payload positions of the fields, counted in the frame.
constexpr size_t kErrorPos = kFrameHeadLen + 9;
constexpr size_t kRemainingPos = kFrameHeadLen + 12;

}  // namespace

FinishReport findLastFinishReport(const char* bytes, size_t len) {
  FinishReport report;
  report.unfinished = len;
  if (bytes == nullptr) return report;
  size_t i = 0;
  while (i < len) {
    if (bytes[i] != kStx) {
      ++i;
      continue;
    }
    // A report cut off by the end of the read, or one that is not closed where it should
    // be, ends the scan.
    if (len - i < static_cast<size_t>(kFinishReportLen)) {
      report.unfinished = i;
      break;
    }
    if (bytes[i + kFinishReportLen - 1] != kEtx) break;
    report.found = true;
    report.offset = i;
    i += kFinishReportLen;
  }
  if (report.found) {
    report.error = ParseNumFieldFnI(bytes + report.offset + kErrorPos, 3);
    report.remaining = ParseNumFieldFnI(bytes + report.offset + kRemainingPos, 4);
  }
  return report;
}

}  // namespace nypr
