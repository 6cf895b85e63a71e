// ktprint as a host: where its INI file is, and how it shows the driver's message boxes
// and errors.
#pragma once

#include <string>

namespace ktprint {

struct GlobalOptions {
  std::string iniPath;  // empty: the stand-in host's default
  int printer = 1;      // 1..8
};

// Points the host library at the INI file and prints the driver's message boxes to
// standard error (in the terminal's encoding) instead of showing windows.
void setUpHost(const GlobalOptions& options);

// The driver's message for the printer's last error, in the user's language and the
// terminal's encoding.
std::string driverErrorText(int printer);

// "ktprint: <what>: <the printer's last error>" on standard error; the error is left out
// when the driver's error box has just shown it.
void reportFailure(int printer, const char* what);

}  // namespace ktprint
