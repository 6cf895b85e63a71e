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

}  // namespace nypr::host
