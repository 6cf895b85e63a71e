#include "driver_text.h"

#include <iconv.h>

#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::host {

std::string utf8Line(const std::string& cp932) {
  std::string in = cp932;
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

DriverError lastDriverError(int printer) {
  char text[1024] = {};
  DriverError error;
  error.code = NyPrGetPrintError(static_cast<uint8_t>(printer), text, sizeof text);
  error.message = utf8Line(text);
  return error;
}

}  // namespace nypr::host
