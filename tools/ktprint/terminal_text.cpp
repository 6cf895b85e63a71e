#include "terminal_text.h"

#include "text_encoding.h"

namespace ktprint {

std::string toTerminal(const std::string& cp932) {
  return nypr::host::localeFromCp932(cp932);
}

std::string toUtf8(const std::string& cp932) {
  return nypr::host::utf8FromCp932(cp932);
}

std::string fromUtf8(const std::string& utf8) {
  return nypr::host::cp932FromUtf8(utf8);
}

}  // namespace ktprint
