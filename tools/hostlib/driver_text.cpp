#include "driver_text.h"

#include "nyprkt3600r/nyprkt3600r.h"
#include "text_encoding.h"

namespace nypr::host {

std::string utf8Line(const std::string& cp932) {
  std::string out = utf8FromCp932(cp932);
  for (char& c : out) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

DriverError lastDriverError(int printer) {
  char text[1024] = {};
  DriverError error;
  error.code = NyPrGetPrintError(static_cast<uint8_t>(printer), text, sizeof text);
  error.message = utf8Line(text);
  return error;
}

const char* searchFailureText(int32_t result) {
  switch (result) {
    case -1:
      return "no network socket could be made";
    case -2:
      return "broadcasts are not allowed here";
    case -3:
      return "the search port (UDP 30000) is in use by another program";
    case -4:
      return "the search request could not be sent";
    default:
      return "the search failed";
  }
}

}  // namespace nypr::host
