// Driver and host texts are CP932; the terminal speaks its locale's encoding.
#pragma once

#include <string>

namespace ktprint {

// Converts CP932 text to the terminal's encoding: the locale's on POSIX (UTF-8 where it
// names none), UTF-8 on Windows (console.h shows it on the console).
std::string toTerminal(const std::string& cp932);
// Converts CP932 text to UTF-8 (for JSON and files, whatever the terminal).
std::string toUtf8(const std::string& cp932);
// Converts text typed on the terminal (UTF-8) to CP932.
std::string fromUtf8(const std::string& utf8);

}  // namespace ktprint
