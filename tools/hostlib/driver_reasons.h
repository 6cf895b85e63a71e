// What a driver result means for a host: the printer-state reasons it raises and what
// becomes of the job. One table for every Linux host.
#pragma once

#include <cstdint>

namespace nypr::host {

// Printer-state reasons (IPP keywords in the comments), as bits.
enum Reason : uint32_t {
  kReasonNone = 0,
  kReasonCoverOpen = 1u << 0,          // cover-open: the print head is open
  kReasonMarkerSupplyEmpty = 1u << 1,  // marker-supply-empty: ribbon out
  kReasonMediaEmpty = 1u << 2,         // media-empty: labels out
  kReasonMediaNeeded = 1u << 3,        // media-needed: no gap or mark found
  kReasonMediaJam = 1u << 4,           // media-jam: cutter fault or jam
  kReasonDoorOpen = 1u << 5,           // door-open
  kReasonOffline = 1u << 6,            // offline: the printer does not answer
  kReasonOutputAreaFull = 1u << 7,     // output-area-full: a label waits at the peeler
  kReasonOther = 1u << 8,              // other: any other fault (the driver's message)
};
constexpr int kReasonCount = 9;

// IPP keyword of one reason bit ("cover-open", ...); "" for none or several.
const char* reasonKeyword(uint32_t reason);

enum class JobOutcome {
  Retry,      // the printer cannot be reached: try again when it answers
  Hold,       // a printer fault: the job waits until the fault clears
  StopQueue,  // the printer cannot print this way at all (wrong model, old program)
  Cancel,     // the job itself cannot be printed, or the printer stopped it
};

struct DriverResult {
  uint32_t reason;  // one Reason bit
  JobOutcome outcome;
  // The condition passes without a hand at the printer (taking a label, the printer coming
  // back): IPP's "-report" severity rather than "-error".
  bool report = false;
};

// The reason and outcome of a driver error code (NyPrGetPrintError).
DriverResult driverResult(uint32_t code);

}  // namespace nypr::host
