#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/text.h"

namespace nypr::platform {
namespace {

// One conversion with iconv; unmappable or invalid input becomes "?" and the
// conversion goes on, so a stray byte never loses the rest of a message.
std::string convert(std::string_view in, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.resize(in.size() * 2 + 16);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  size_t used = 0;
  while (srcLeft > 0) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    used = out.size() - dstLeft;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else {
      // EILSEQ or EINVAL: replace one input byte (one UTF-8 sequence when converting
      // from UTF-8) and go on.
      size_t skip = 1;
      if (std::string_view(from) == "UTF-8") {
        while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
      } else if (srcLeft >= 2 && isCp932LeadByte(static_cast<unsigned char>(*src))) {
        skip = 2;
      }
      src += skip;
      srcLeft -= skip;
      if (used + 1 > out.size()) out.resize(out.size() * 2);
      out[used++] = '?';
    }
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv_close(cd);
  out.resize(used);
  return out;
}

}  // namespace

std::string cp932FromUtf8(std::string_view utf8) {
  return convert(utf8, "CP932", "UTF-8");
}

std::string utf8FromCp932(std::string_view cp932) {
  return convert(cp932, "UTF-8", "CP932");
}

}  // namespace nypr::platform
