// The settings line of each printer in the host's INI file:
//   AAAAAAAA#<64 fixed-width fields, each followed by "#">XXX#YYY#M
// (address in hex, the parameter record, position adjustment X and Y, adjustment mode).
// The separators are positional: the loader skips one character after each field.
#include "settings/settings_line.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/host_api.h"
#include "platform/profile.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"

namespace nypr {
namespace {

constexpr const char* kSection = "KT3600R Info";
constexpr size_t kLineBufferSize = 512;
constexpr size_t kAddressChars = 8;
constexpr size_t kFieldsStart = kAddressChars + 1;
constexpr size_t kAdjustStart = kFieldsStart + kSettingsRecordSize + kSettingsFieldCount;  // 241
// What the three characters of an adjustment can hold.
constexpr int kAdjustFieldMin = -99;
constexpr int kAdjustFieldMax = 999;

// The line as read: bytes past its end read as NUL, never from beyond the buffer.
class LineReader {
 public:
  LineReader(const char* data, size_t length) : data_(data), length_(length) {}
  char at(size_t pos) const { return pos < length_ ? data_[pos] : '\0'; }
  size_t length() const { return length_; }

  // Up to eight hexadecimal digits; stops at the first other character.
  uint32_t hexAddress() const {
    uint32_t value = 0;
    for (size_t i = 0; i < kAddressChars; ++i) {
      const char ch = at(i);
      int digit;
      if (ch >= '0' && ch <= '9') {
        digit = ch - '0';
      } else if (ch >= 'A' && ch <= 'F') {
        digit = ch - 'A' + 10;
      } else if (ch >= 'a' && ch <= 'f') {
        digit = ch - 'a' + 10;
      } else {
        break;
      }
      value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
  }

  // A signed decimal in `width` characters at `pos`; other characters end it.
  int decimal(size_t pos, size_t width) const {
    size_t i = 0;
    bool negative = false;
    if (at(pos) == '-' || at(pos) == '+') {
      negative = at(pos) == '-';
      ++i;
    }
    int value = 0;
    for (; i < width && at(pos + i) >= '0' && at(pos + i) <= '9'; ++i) {
      value = value * 10 + (at(pos + i) - '0');
    }
    return negative ? -value : value;
  }

 private:
  const char* data_;
  size_t length_;
};

std::string settingsKey(uint8_t index) {
  char key[8];
  std::snprintf(key, sizeof key, "KT%02u", static_cast<unsigned>(index));
  return key;
}

// Keeps a value to the three characters of its field, so the line stays aligned.
int adjustFieldValue(int value) {
  return std::clamp(value, kAdjustFieldMin, kAdjustFieldMax);
}

// A field as it goes into the line: its characters up to the first NUL (or control
// character, which an INI line cannot hold), padded with "0" to its width so that every
// later field stays in its place. A field never loaded is all zeros.
void appendField(std::string& line, const char* chars, int width) {
  int used = 0;
  while (used < width && static_cast<unsigned char>(chars[used]) >= 0x20 && chars[used] != 0x7F) {
    ++used;
  }
  line.append(chars, static_cast<size_t>(used));
  line.append(static_cast<size_t>(width - used), '0');
}

}  // namespace

std::string hostIniPath() {
  const char* path = TSRGetIniFileName();
  return path != nullptr ? std::string(path) : std::string();
}

bool loadSettingsLine(KtrInfo* info, std::string_view value) {
  if (info == nullptr || !isValidSlotIndex(info->PrinterNoUB)) return false;
  const uint8_t index = info->PrinterNoUB;
  PrinterSlot& slot = stKtRSE[index];
  // A value with a NUL inside ends there, as it would coming from the profile functions.
  const LineReader line(value.data(), strnlen(value.data(), value.size()));

  info->PortComUW = kPortCommand;
  info->PortFinUW = kPortFinish;
  info->IpAddrUL = line.hexAddress();
  info->ProtoUW = 0;

  if (line.length() < kFieldsStart) {
    SetDefaultSettingsFnV(index);
  } else {
    size_t pos = kFieldsStart;
    char* record = PrinterSettings[index];
    for (const SettingsField& f : kSettingsFields) {
      for (int i = 0; i < f.width; ++i) record[f.offset + i] = line.at(pos + i);
      pos += f.width + 1u;
    }
    std::memcpy(&record[kSettingsFields[kFieldFixed26].offset],
                kSettingsFields[kFieldFixed26].defaultValue, 3);
    // Taken as stored, so that storing the line again leaves it as it was.
    slot.PosAdjXI = line.decimal(kAdjustStart, 3);
    slot.PosAdjYI = line.decimal(kAdjustStart + 4, 3);
    slot.PosAdjModeI = line.decimal(kAdjustStart + 8, 1);
  }

  if (info->IpAddrUL == 0 || info->PortComUW == 0 || info->PortFinUW == 0) {
    slot.dwLastError = kErrNoAddress;
    return false;
  }
  return true;
}

std::string formatSettingsLine(const KtrInfo& info) {
  if (!isValidSlotIndex(info.PrinterNoUB)) return {};
  const uint8_t index = info.PrinterNoUB;
  const PrinterSlot& slot = stKtRSE[index];

  std::string line;
  line.reserve(256);
  char part[16];
  std::snprintf(part, sizeof part, "%08X#", static_cast<unsigned>(info.IpAddrUL));
  line += part;
  for (const SettingsField& f : kSettingsFields) {
    appendField(line, &PrinterSettings[index][f.offset], f.width);
    line += '#';
  }
  const int mode = slot.PosAdjModeI;
  const int modeDigit = (mode >= 0 && mode <= 9) ? mode : 1;  // any other value means "host"
  std::snprintf(part, sizeof part, "%03d#%03d#%d", adjustFieldValue(slot.PosAdjXI),
                adjustFieldValue(slot.PosAdjYI), modeDigit);
  line += part;
  return line;
}

bool ReadPrinterSettingsFnBL(KtrInfo* info) {
  if (info == nullptr || !isValidSlotIndex(info->PrinterNoUB)) return false;
  char buffer[kLineBufferSize] = {};
  platform::profileReadString(hostIniPath(), kSection, settingsKey(info->PrinterNoUB).c_str(), "",
                              buffer, sizeof buffer);
  return loadSettingsLine(info, std::string_view(buffer, strnlen(buffer, sizeof buffer - 1)));
}

void WritePrinterSettingsFnV(const KtrInfo* info) {
  if (info == nullptr || !isValidSlotIndex(info->PrinterNoUB)) return;
  platform::profileWriteString(hostIniPath(), kSection, settingsKey(info->PrinterNoUB).c_str(),
                               formatSettingsLine(*info).c_str());
}

}  // namespace nypr
