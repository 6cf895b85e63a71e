#include "driver_reasons.h"

namespace nypr::host {
namespace {

struct Row {
  uint32_t first;
  uint32_t last;
  DriverResult result;
};

// First matching row wins; codes in no row are printer faults of no known kind.
constexpr Row kTable[] = {
    // Printer error numbers of the printer's own report.
    {1, 1, {kReasonCoverOpen, JobOutcome::Hold}},          // head open
    {2, 2, {kReasonMarkerSupplyEmpty, JobOutcome::Hold}},  // ribbon out
    {4, 4, {kReasonMediaEmpty, JobOutcome::Hold}},         // labels out
    {3, 3, {kReasonMediaNeeded, JobOutcome::Hold}},        // no gap or mark found
    {5, 5, {kReasonMediaNeeded, JobOutcome::Hold}},        // gap or mark measuring
    {29, 29, {kReasonMediaJam, JobOutcome::Hold}},         // cutter fault or jam
    {46, 46, {kReasonDoorOpen, JobOutcome::Hold}},         // cover open
    {1, 107, {kReasonOther, JobOutcome::Hold}},            // any other printer error
    {998, 999, {kReasonOther, JobOutcome::Cancel}},        // stopped at the printer
    {900, 997, {kReasonOther, JobOutcome::Hold}},          // printer conditions
    // Host message ids raised by the driver.
    {40019, 40019, {kReasonOther, JobOutcome::Cancel}},         // label too wide or long
    {40070, 40070, {kReasonOther, JobOutcome::Hold}},           // no status
    {40079, 40079, {kReasonCoverOpen, JobOutcome::Hold}},       // head open (ready check)
    {40365, 40365, {kReasonOutputAreaFull, JobOutcome::Hold}},  // label at the peeler
    // The driver's own codes.
    {60208, 60209, {kReasonOther, JobOutcome::Cancel}},  // label too small to cut/peel
    {60301, 60301, {kReasonOther, JobOutcome::Cancel}},  // a print condition refused
    {60302, 60303, {kReasonOther, JobOutcome::Hold}},    // wrong answer, raster refused
    {60304, 60304, {kReasonOther, JobOutcome::Hold}},    // the printer cannot stop
    {60310, 60310, {kReasonOther, JobOutcome::Hold}},    // status query failed
    {60313, 60314, {kReasonOther, JobOutcome::Hold}},    // no memory for the label
    {60315, 60315, {kReasonOutputAreaFull, JobOutcome::Hold, true}},  // take the label
    {60400, 60400, {kReasonOther, JobOutcome::StopQueue}},            // no address
    {60401, 60402, {kReasonOffline, JobOutcome::Retry, true}},        // cannot connect
    {60403, 60404, {kReasonOffline, JobOutcome::Hold, true}},         // connection lost
    {60405, 60405, {kReasonOther, JobOutcome::StopQueue}},            // controller program too old
    {60413, 60413, {kReasonOther, JobOutcome::StopQueue}},            // labeler program too old
    {60677, 60678, {kReasonOther, JobOutcome::StopQueue}},            // another printer model
    {60999, 60999, {kReasonOther, JobOutcome::Cancel}},               // stopped at the printer
};

}  // namespace

const char* reasonKeyword(uint32_t reason) {
  switch (reason) {
    case kReasonCoverOpen:
      return "cover-open";
    case kReasonMarkerSupplyEmpty:
      return "marker-supply-empty";
    case kReasonMediaEmpty:
      return "media-empty";
    case kReasonMediaNeeded:
      return "media-needed";
    case kReasonMediaJam:
      return "media-jam";
    case kReasonDoorOpen:
      return "door-open";
    case kReasonOffline:
      return "offline";
    case kReasonOutputAreaFull:
      return "output-area-full";
    case kReasonOther:
      return "other";
    default:
      return "";
  }
}

DriverResult driverResult(uint32_t code) {
  for (const Row& row : kTable) {
    if (code >= row.first && code <= row.last) return row.result;
  }
  return {kReasonOther, JobOutcome::Hold};
}

}  // namespace nypr::host
