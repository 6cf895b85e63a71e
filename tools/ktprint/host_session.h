// ktprint as a host: where its INI file is, how it answers the driver's message boxes,
// and the host records it hands to the driver.
#pragma once

#include <cstdint>
#include <string>

#include "nyprkt3600r/nyprkt3600r.h"

namespace ktprint {

struct GlobalOptions {
  std::string iniPath;  // empty: the stand-in host's default
  int printer = 1;      // 1..8
};

// Points the host library at the INI file and prints the driver's message boxes to
// standard error (in the terminal's encoding) instead of showing windows.
void setUpHost(const GlobalOptions& options);

// The host records of one job, zeroed, wired together.
struct HostJob {
  LabelFormatST labelFormat{};
  PrintCondST printCond{};
  int32_t allowFlag100 = 0;
  int32_t allowFlag80A = 0;
  int32_t allowFlag80B = 0;
  uint32_t flagWord = 0;
  PrintJobST job{};

  HostJob();
  HostJob(const HostJob&) = delete;
  HostJob& operator=(const HostJob&) = delete;
};

// The driver's message for the printer's last error, in the user's language and the
// terminal's encoding.
std::string driverErrorText(int printer);

// "ktprint: <what>: <the printer's last error>" on standard error; the error is left out
// when the driver's error box has just shown it.
void reportFailure(int printer, const char* what);

}  // namespace ktprint
