// The driver's texts (CP932) for hosts that speak UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace nypr::host {

// CP932 text as one line of UTF-8: line breaks become blanks, bytes that are not CP932
// become '?'.
std::string utf8Line(const std::string& cp932);

// The printer's last driver error: its code (0 when none) and message in UTF-8.
struct DriverError {
  uint32_t code = 0;
  std::string message;
};
DriverError lastDriverError(int printer);

// Why the module's printer search could not run, from its negative result: English text
// that ktprint looks up in its translations.
const char* searchFailureText(int32_t result);

}  // namespace nypr::host
