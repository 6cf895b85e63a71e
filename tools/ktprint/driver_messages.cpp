#include "driver_messages.h"

#include <cstring>

#include "terminal_text.h"
#include "translation.h"

namespace ktprint {
namespace {

// The detail the driver appends to some texts ("No.007", "No.10061"), or "".
std::string detailOf(const std::string& text) {
  size_t at = text.rfind("No.");
  if (at == std::string::npos || at + 3 == text.size()) return "";
  for (size_t i = at + 3; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return "";
  }
  return text.substr(at);
}

bool takesDetail(uint32_t code) {
  return code == 60301 || (code >= 60401 && code <= 60404);
}

}  // namespace

std::string driverMessage(uint32_t code, const std::string& driverText) {
  const char* english = englishDriverText(code);
  if (english != nullptr) {
    const char* translated = tr(english);
    // A catalogue's own text wins; otherwise a language the driver speaks keeps the
    // driver's text, and every other language reads the English one.
    if (translated == english && driverSpeaksUsersLanguage() && !driverText.empty()) {
      return toTerminal(driverText);
    }
    std::string text = translated;
    if (takesDetail(code)) text += detailOf(driverText);
    return text;
  }
  return toTerminal(driverText);
}

}  // namespace ktprint
