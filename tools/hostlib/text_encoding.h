// The driver's and the host's texts are CP932; the hosts speak UTF-8 or their locale's
// encoding. One implementation per OS: iconv on POSIX (text_encoding_posix.cpp), the
// code-page API on Windows (text_encoding_win32.cpp). Bytes that do not convert become
// '?' (Windows: the code page's default character).
#pragma once

#include <string>

namespace nypr::host {

std::string utf8FromCp932(const std::string& cp932);
std::string cp932FromUtf8(const std::string& utf8);
// CP932 text in the encoding of the C library's locale (UTF-8 where the locale names
// none, and on Windows, whose console is written in wide characters).
std::string localeFromCp932(const std::string& cp932);

}  // namespace nypr::host
