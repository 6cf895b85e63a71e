// Any stored settings value must load without reading past it, and the line written
// back must be a well-formed 250-character line that loads to the same line again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "settings/printer_settings.h"
#include "settings/settings_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t index = data[0] % nypr::kSlotCount;
  // A copy of exactly the value's bytes, so that a read past it is caught.
  std::string value(reinterpret_cast<const char*>(data + 1), size - 1);

  nypr::KtrInfo info{};
  info.PrinterNoUB = index;
  nypr::loadSettingsLine(&info, value);
  const std::string first = nypr::formatSettingsLine(info);
  if (first.size() != 250) std::abort();
  for (unsigned char ch : first) {
    if (ch < 0x20 || ch == 0x7F) std::abort();
  }
  size_t pos = 8;
  for (const nypr::SettingsField& f : nypr::kSettingsFields) {
    if (first[pos] != '#') std::abort();
    pos += f.width + 1u;
  }
  if (pos != 240 || first[pos] != '#' || first[pos + 4] != '#' || first[pos + 8] != '#') {
    std::abort();
  }

  nypr::KtrInfo again{};
  again.PrinterNoUB = index;
  nypr::loadSettingsLine(&again, first);
  if (again.IpAddrUL != info.IpAddrUL) std::abort();
  if (nypr::formatSettingsLine(again) != first) std::abort();
  return 0;
}
