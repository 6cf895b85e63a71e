#include "driver_status.h"

#include <iconv.h>

namespace nypr::cups {
namespace {

struct Row {
  uint32_t first;
  uint32_t last;
  DriverStatus status;
};

constexpr const char* kOther = "other-error";

// First matching row wins; codes in no row are printer faults of no known kind.
constexpr Row kTable[] = {
    // Printer error numbers of the printer's own report.
    {1, 1, {"cover-open-error", JobOutcome::Failed}},           // head open
    {2, 2, {"marker-supply-empty-error", JobOutcome::Failed}},  // ribbon out
    {4, 4, {"media-empty-error", JobOutcome::Failed}},          // labels out
    {3, 3, {"media-needed-error", JobOutcome::Failed}},         // no gap or mark found
    {5, 5, {"media-needed-error", JobOutcome::Failed}},         // gap or mark measuring
    {29, 29, {"media-jam-error", JobOutcome::Failed}},          // cutter fault or jam
    {46, 46, {"door-open-error", JobOutcome::Failed}},          // cover open
    {1, 107, {kOther, JobOutcome::Failed}},                     // any other printer error
    {998, 999, {kOther, JobOutcome::Cancel}},                   // stopped at the printer
    {900, 997, {kOther, JobOutcome::Failed}},                   // printer conditions
    // Host message ids raised by the driver.
    {40019, 40019, {kOther, JobOutcome::Cancel}},                    // label wider than 80 mm
    {40070, 40070, {kOther, JobOutcome::Failed}},                    // no status
    {40079, 40079, {"cover-open-error", JobOutcome::Failed}},        // head open (ready check)
    {40365, 40365, {"output-area-full-error", JobOutcome::Failed}},  // label at the peeler
    // The driver's own codes.
    {60208, 60209, {kOther, JobOutcome::Cancel}},  // label too small for the cut/peel
    {60301, 60301, {kOther, JobOutcome::Cancel}},  // a print condition refused
    {60302, 60303, {kOther, JobOutcome::Failed}},  // wrong answer, raster refused
    {60304, 60304, {kOther, JobOutcome::Failed}},  // the printer cannot stop
    {60310, 60310, {kOther, JobOutcome::Failed}},  // status query failed
    {60313, 60314, {kOther, JobOutcome::Failed}},  // no memory for the label
    {60315, 60315, {"output-area-full-report", JobOutcome::Failed}},  // take the label
    {60400, 60400, {kOther, JobOutcome::StopQueue}},                  // no address
    {60401, 60402, {"offline-report", JobOutcome::Retry}},            // cannot connect
    {60403, 60404, {"offline-report", JobOutcome::Failed}},           // connection lost
    {60405, 60405, {kOther, JobOutcome::StopQueue}},                  // controller program too old
    {60413, 60413, {kOther, JobOutcome::StopQueue}},                  // labeler program too old
    {60677, 60678, {kOther, JobOutcome::StopQueue}},                  // another printer model
    {60999, 60999, {kOther, JobOutcome::Cancel}},                     // stopped at the printer
};

}  // namespace

const char* allBackendReasons() {
  return "cover-open-error,marker-supply-empty-error,media-empty-error,media-needed-error,"
         "media-jam-error,door-open-error,output-area-full-error,output-area-full-report,"
         "offline-report,other-error";
}

DriverStatus driverStatus(uint32_t code) {
  for (const Row& row : kTable) {
    if (code >= row.first && code <= row.last) return row.status;
  }
  return {kOther, JobOutcome::Failed};
}

std::string statusLine(const char* cp932) {
  std::string in = cp932 ? cp932 : "";
  std::string out(in.size() * 3 + 4, '\0');
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  char* src = in.data();
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  while (srcLeft > 0 && iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
    if (dstLeft < 4) break;
    ++src;  // a byte that is not CP932
    --srcLeft;
    *dst++ = '?';
    --dstLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  for (char& c : out) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

}  // namespace nypr::cups
