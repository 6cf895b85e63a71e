// Printer addresses as the dialogs and the host show them.
#include <cstdio>

#include "settings/printer_settings.h"

namespace nypr {

const char* IpAddrToText(uint32_t address, bool dotted) {
  // One buffer per thread: callers keep the pointer only until their next call.
  thread_local char text[20];
  const unsigned a = (address >> 24) & 0xFF;
  const unsigned b = (address >> 16) & 0xFF;
  const unsigned c = (address >> 8) & 0xFF;
  const unsigned d = address & 0xFF;
  if (dotted && address != 0) {
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", a, b, c, d);
  } else {
    std::snprintf(text, sizeof text, "%03u%03u%03u%03u", a, b, c, d);
  }
  return text;
}

uint32_t IpAddrFromText(const char* text) {
  if (text == nullptr) return 0;
  uint32_t address = 0;
  bool ended = false;  // never look past the terminator of a short text
  for (int group = 0; group < 4; ++group) {
    unsigned octet = 0;
    bool inNumber = true;
    for (int i = 0; i < 3; ++i) {
      if (!ended && text[group * 3 + i] == '\0') ended = true;
      if (ended) break;
      const char ch = text[group * 3 + i];
      if (inNumber && ch >= '0' && ch <= '9') {
        octet = octet * 10 + static_cast<unsigned>(ch - '0');
      } else {
        inNumber = false;
      }
    }
    // Three digits can exceed an octet; keep it from spilling into its neighbour.
    if (octet > 255) octet = 255;
    address |= octet << ((3 - group) * 8);
  }
  return address;
}

}  // namespace nypr
