// Windows backend of platform/text.h: the code-page API with code page 932 named
// explicitly, so the module's texts stay CP932 whatever the system's ANSI code page.
#include <windows.h>

#include "platform/text.h"

namespace nypr::platform {
namespace {

constexpr UINT kCp932 = 932;

bool isUtf8Continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Length of the character starting at `text[i]` in its code page.
size_t unitLength(std::string_view text, size_t i, UINT codePage) {
  size_t len = 1;
  if (codePage == CP_UTF8) {
    while (i + len < text.size() && isUtf8Continuation(static_cast<unsigned char>(text[i + len]))) {
      ++len;
    }
  } else if (isCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
    len = 2;
  }
  return len;
}

// UTF-16 from one code page; an invalid character becomes "?" and the rest goes on.
std::wstring toWide(std::string_view in, UINT codePage) {
  std::wstring out;
  if (in.empty()) return out;
  auto convert = [&](std::string_view piece) -> bool {
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, piece.data(),
                                static_cast<int>(piece.size()), nullptr, 0);
    if (n <= 0) return false;
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(n));
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, piece.data(),
                        static_cast<int>(piece.size()), out.data() + at, n);
    return true;
  };
  if (convert(in)) return out;
  out.clear();
  for (size_t i = 0; i < in.size();) {
    size_t len = unitLength(in, i, codePage);
    if (!convert(in.substr(i, len))) out.push_back(L'?');
    i += len;
  }
  return out;
}

// One code page from UTF-16; what the code page lacks becomes "?".
std::string fromWide(std::wstring in, UINT codePage) {
  std::string out;
  if (in.empty()) return out;
  if (codePage != CP_UTF8) {
    // CP932 has nothing beyond the basic plane: a surrogate pair is one unmappable
    // character, one "?".
    std::wstring bmp;
    for (size_t i = 0; i < in.size(); ++i) {
      const bool pair = in[i] >= 0xD800 && in[i] <= 0xDBFF && i + 1 < in.size() &&
                        in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF;
      bmp.push_back(pair ? L'?' : in[i]);
      if (pair) ++i;
    }
    in.swap(bmp);
  }
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* defaultChar = codePage == CP_UTF8 ? nullptr : "?";
  int n = WideCharToMultiByte(codePage, flags, in.data(), static_cast<int>(in.size()), nullptr, 0,
                              defaultChar, nullptr);
  if (n <= 0) return out;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(codePage, flags, in.data(), static_cast<int>(in.size()), out.data(), n,
                      defaultChar, nullptr);
  return out;
}

}  // namespace

std::string cp932FromUtf8(std::string_view utf8) {
  return fromWide(toWide(utf8, CP_UTF8), kCp932);
}

std::string utf8FromCp932(std::string_view cp932) {
  return fromWide(toWide(cp932, kCp932), CP_UTF8);
}

}  // namespace nypr::platform
