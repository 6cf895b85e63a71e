#include <iconv.h>
#include <langinfo.h>

#include <cstring>

#include "text_encoding.h"

namespace nypr::host {
namespace {

std::string convert(const std::string& in, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out(in.size() * 3 + 8, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
    if (dstLeft < 4) break;
    ++src;  // a byte that does not convert
    --srcLeft;
    *dst++ = '?';
    --dstLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace

std::string localeFromCp932(const std::string& cp932) {
  const char* codeset = nl_langinfo(CODESET);
  // The C locale names plain ASCII; terminals of today take UTF-8 there.
  if (codeset == nullptr || std::strcmp(codeset, "ANSI_X3.4-1968") == 0 || *codeset == '\0') {
    codeset = "UTF-8";
  }
  return convert(cp932, codeset, "CP932");
}

std::string utf8FromCp932(const std::string& cp932) {
  return convert(cp932, "UTF-8", "CP932");
}

std::string cp932FromUtf8(const std::string& utf8) {
  return convert(utf8, "CP932", "UTF-8");
}

}  // namespace nypr::host
