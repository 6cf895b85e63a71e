#include "printer_address.h"

#include <cstdio>

#include "nyhost/nyhost_control.h"

namespace nypr::host {

std::optional<uint32_t> parseIpv4(const std::string& text) {
  uint32_t address = 0;
  size_t pos = 0;
  for (int octet = 0; octet < 4; ++octet) {
    if (octet > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    const size_t start = pos;
    uint32_t value = 0;
    while (pos < text.size() && pos - start < 3 && text[pos] >= '0' && text[pos] <= '9') {
      value = value * 10 + static_cast<uint32_t>(text[pos] - '0');
      ++pos;
    }
    if (pos == start || value > 255) return std::nullopt;
    address = (address << 8) | value;
  }
  if (pos != text.size()) return std::nullopt;
  return address;
}

std::string formatIpv4(uint32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 255,
                (address >> 8) & 255, address & 255);
  return text;
}

bool storePrinterAddress(int printer, uint32_t address, bool keepSettings) {
  char key[32];
  std::snprintf(key, sizeof key, "KT%02d", printer - 1);
  char line[512] = {};
  nyhostProfileRead("KT3600R Info", key, "", line, sizeof line);
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", address);
  std::string current = line;
  const std::string updated =
      !keepSettings || current.size() < 9 ? hex : std::string(hex) + current.substr(8);
  if (updated == current) return true;
  return nyhostProfileWrite("KT3600R Info", key, updated.c_str()) != 0;
}

}  // namespace nypr::host
