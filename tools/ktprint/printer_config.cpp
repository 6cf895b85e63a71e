#include "printer_config.h"

#include <cstdio>

#include "nyhost/nyhost_control.h"

namespace ktprint {

std::optional<uint32_t> parseIpv4(const std::string& text) {
  uint32_t address = 0;
  size_t pos = 0;
  for (int octet = 0; octet < 4; ++octet) {
    if (octet > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    size_t start = pos;
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

std::string lineWithAddress(const std::string& line, uint32_t address) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", address);
  if (line.size() < 9) return hex;
  return std::string(hex) + line.substr(8);
}

bool storePrinterAddress(int printer, uint32_t address) {
  char key[32];
  std::snprintf(key, sizeof key, "KT%02d", printer - 1);
  char line[512] = {};
  nyhostProfileRead("KT3600R Info", key, "", line, sizeof line);
  return nyhostProfileWrite("KT3600R Info", key, lineWithAddress(line, address).c_str()) != 0;
}

}  // namespace ktprint
