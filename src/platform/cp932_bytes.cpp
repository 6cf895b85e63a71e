// CP932 byte rules, the same on every OS: which bytes start a double-byte character, and
// copying a text without splitting one.
#include "platform/text.h"

namespace nypr::platform {

bool isCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

size_t copyCp932(std::string_view text, char* buf, size_t size) {
  if (buf == nullptr || size == 0) return 0;
  size_t limit = size - 1;
  size_t n = 0;
  while (n < text.size()) {
    size_t len = 1;
    if (isCp932LeadByte(static_cast<unsigned char>(text[n])) && n + 1 < text.size()) len = 2;
    if (n + len > limit) break;
    n += len;
  }
  for (size_t i = 0; i < n; ++i) buf[i] = text[i];
  buf[n] = '\0';
  return n;
}

}  // namespace nypr::platform
