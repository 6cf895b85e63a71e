// The code-page API converts CP932 whatever the system's ANSI code page is.
#include <windows.h>

#include "text_encoding.h"

namespace nypr::host {
namespace {

constexpr UINT kCp932 = 932;

std::string convert(const std::string& in, UINT to, UINT from) {
  if (in.empty()) return in;
  const int size = static_cast<int>(in.size());
  // Bytes that do not decode become the code page's default character, as iconv's '?'.
  int n = MultiByteToWideChar(from, 0, in.data(), size, nullptr, 0);
  if (n <= 0) return in;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(from, 0, in.data(), size, wide.data(), n);
  int m = WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return in;
  std::string out(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(to, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
  return out;
}

}  // namespace

std::string localeFromCp932(const std::string& cp932) {
  return convert(cp932, CP_UTF8, kCp932);
}

std::string utf8FromCp932(const std::string& cp932) {
  return convert(cp932, CP_UTF8, kCp932);
}

std::string cp932FromUtf8(const std::string& utf8) {
  return convert(utf8, kCp932, CP_UTF8);
}

}  // namespace nypr::host
