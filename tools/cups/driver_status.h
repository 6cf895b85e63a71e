// How the backend reports a driver result to CUPS: the printer-state-reason it raises,
// and what becomes of the job. This table is the one the README documents.
#pragma once

#include <cstdint>
#include <string>

namespace nypr::cups {

enum class JobOutcome {
  Retry,      // the printer cannot be reached: CUPS retries the job later
  Failed,     // a printer fault: the queue's error policy applies (by default the queue
              // stops and the job waits until the fault is cleared and the queue enabled)
  StopQueue,  // the printer cannot print this way at all (wrong model, old program)
  Cancel,     // the job itself cannot be printed, or the printer stopped it
};

struct DriverStatus {
  const char* reason;  // printer-state-reason keyword with its -error suffix
  JobOutcome outcome;
};

// Every reason the backend may raise, comma-separated, for clearing them at job start.
const char* allBackendReasons();

// The reason and outcome for a driver error code (NyPrGetPrintError).
DriverStatus driverStatus(uint32_t code);

// CP932 driver text as one line of UTF-8 (line breaks become blanks), for INFO:/ERROR:.
std::string statusLine(const char* cp932);

}  // namespace nypr::cups
