// Per-printer settings: the 168-character parameter record, the connection record and
// the print-position adjustment, kept in the host's INI file one line per printer.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/slots.h"
#include "nyprkt3600r/host_records.h"

namespace nypr {

inline constexpr int kSettingsFieldCount = 64;
inline constexpr int kSettingsRecordSize = 168;

struct SettingsField {
  uint8_t offset;
  uint8_t width;
  const char* defaultValue;  // null for field 51 (set before each print)
};

// The one width table that both the load and the store walk.
extern const std::array<SettingsField, kSettingsFieldCount> kSettingsFields;

// Field numbers the driver itself reads or sets.
enum SettingsFieldNo : int {
  kFieldHistoryControl = 0,
  kFieldHistoryT1 = 1,
  kFieldHistoryT2 = 2,
  kFieldHistoryT3 = 3,
  kFieldGapSensorDist = 4,
  kFieldMarkSensorDist = 5,
  kFieldDensityRateThermal = 8,
  kFieldDensityRateTransfer = 9,
  kFieldFlag100 = 10,
  kFieldPeelSensorLevel = 24,
  kFieldFixed26 = 26,
  kFieldForcedWinder = 49,
  kFieldHeadWidth = 50,
  kFieldLabelLengthDots = 51,
  kFieldAutoCut = 52,
  kFieldCount53 = 53,
  kFieldFlag80 = 54,
  kFieldHistoryT0 = 55,
  kFieldAutoCutterDist = 56,
};

// The records, one per printer index, zero-filled at load; no terminator.
extern char PrinterSettings[kSlotCount][kSettingsRecordSize];

// Reads field `field` of printer `index` as a decimal number (leading "-" allowed; a
// character that is not a digit ends the number, as the host's StrToIbyLen does).
int settingsFieldInt(uint8_t index, int field);
// Writes `value` with leading zeros into exactly the field's width ("-" first when
// negative); values that do not fit keep their last digits.
void setSettingsFieldInt(uint8_t index, int field, int value);
// The field's characters (exactly its width; NULs of a short line included).
std::string settingsFieldText(uint8_t index, int field);

// Path of the host's INI file, asked of the host at every access.
std::string hostIniPath();

// Loads the line of info->PrinterNoUB. False (and dwLastError 60400) when the address or
// a port is missing; the record is filled with the stored fields or the defaults either way.
bool ReadPrinterSettingsFnBL(KtrInfo* info);
// Stores the line of info->PrinterNoUB from the address, the record and the adjustment.
void WritePrinterSettingsFnV(const KtrInfo* info);
// Factory defaults into the record (all fields but 51) and adjustments X/Y 0.
void SetDefaultSettingsFnV(uint8_t index);
// When the slot's PosAdjModeI is non-zero, takes the adjustment from the label.
void ApplyHostPosAdjustFnV(uint8_t index, const LabelFormatST* labelFormat);

// "%d.%d.%d.%d" when dotted and the address is non-zero, else "%03d%03d%03d%03d"; the
// text lives in a static buffer (one per thread) overwritten by the next call.
const char* IpAddrToText(uint32_t address, bool dotted);
// Four groups of three decimal digits from the first twelve characters; a short text
// gives 0 for the missing groups, a group above 255 gives 255.
uint32_t IpAddrFromText(const char* text);

// Highest contrast the host may offer at `speed` mm/s (0..99). Speeds and head ranks
// outside the tables are clamped to them; t1 of 50 or more gives 99; an index outside the
// slots gives 0.
uint16_t GetMaxContrastFnUW(uint16_t speed, uint8_t index, uint32_t mode);

}  // namespace nypr
