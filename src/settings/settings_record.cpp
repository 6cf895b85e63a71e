// The 168-character parameter record of each printer: its field table, the factory
// defaults and the number helpers the dialogs and the print path use.
#include <cstring>

#include "settings/printer_settings.h"

namespace nypr {

// Widths in field order; offsets follow from them. The record is the printer's own
// parameter block, sent unchanged inside the print and feed commands, so this layout is
// part of the printer protocol.
namespace {
constexpr std::array<SettingsField, kSettingsFieldCount> kFieldTable = {{
    {0, 1, "1"},      {1, 3, "014"},     {4, 3, "002"},    {7, 3, "014"},   {10, 4, "0548"},
    {14, 4, "0548"},  {18, 3, "158"},    {21, 3, "260"},   {24, 3, "007"},  {27, 3, "007"},
    {30, 1, "1"},     {31, 2, "60"},     {33, 2, "40"},    {35, 2, "45"},   {37, 2, "45"},
    {39, 2, "60"},    {41, 2, "40"},     {43, 4, "-002"},  {47, 4, "-004"}, {51, 2, "20"},
    {53, 2, "01"},    {55, 4, "0000"},   {59, 4, "0000"},  {63, 3, "080"},  {66, 3, "075"},
    {69, 3, "060"},   {72, 3, "050"},    {75, 1, "1"},     {76, 3, "065"},  {79, 1, "0"},
    {80, 2, "50"},    {82, 3, "070"},    {85, 3, "010"},   {88, 3, "010"},  {91, 3, "090"},
    {94, 3, "024"},   {97, 3, "035"},    {100, 2, "70"},   {102, 3, "000"}, {105, 4, "0200"},
    {109, 3, "050"},  {112, 3, "120"},   {115, 3, "090"},  {118, 3, "040"}, {121, 3, "005"},
    {124, 3, "750"},  {127, 2, "40"},    {129, 1, "0"},    {130, 1, "3"},   {131, 1, "0"},
    {132, 4, "0960"}, {136, 4, nullptr}, {140, 1, "1"},    {141, 3, "001"}, {144, 1, "0"},
    {145, 2, "05"},   {147, 4, "0305"},  {151, 1, "1"},    {152, 1, "0"},   {153, 4, "0001"},
    {157, 3, "075"},  {160, 1, "0"},     {161, 4, "2200"}, {165, 3, "001"},
}};

constexpr bool fieldTableIsConsistent() {
  int offset = 0;
  for (const SettingsField& f : kFieldTable) {
    if (f.offset != offset || f.width < 1 || f.width > 4) return false;
    if (f.defaultValue != nullptr) {
      int len = 0;
      while (f.defaultValue[len] != '\0') ++len;
      if (len != f.width) return false;
    }
    offset += f.width;
  }
  return offset == kSettingsRecordSize;
}
static_assert(fieldTableIsConsistent(), "settings fields must tile the 168-character record");

}  // namespace

const std::array<SettingsField, kSettingsFieldCount> kSettingsFields = kFieldTable;

namespace {

bool validField(uint8_t index, int field) {
  return isValidSlotIndex(index) && field >= 0 && field < kSettingsFieldCount;
}

}  // namespace

char PrinterSettings[kSlotCount][kSettingsRecordSize];

int settingsFieldInt(uint8_t index, int field) {
  if (!validField(index, field)) return 0;
  const SettingsField& f = kSettingsFields[field];
  const char* p = &PrinterSettings[index][f.offset];
  int i = 0;
  while (i < f.width && p[i] == ' ') ++i;
  bool negative = false;
  if (i < f.width && (p[i] == '-' || p[i] == '+')) {
    negative = p[i] == '-';
    ++i;
  }
  int value = 0;  // at most four digits: no overflow
  for (; i < f.width && p[i] >= '0' && p[i] <= '9'; ++i) value = value * 10 + (p[i] - '0');
  return negative ? -value : value;
}

void setSettingsFieldInt(uint8_t index, int field, int value) {
  if (!validField(index, field)) return;
  const SettingsField& f = kSettingsFields[field];
  char* out = &PrinterSettings[index][f.offset];
  // A one-character field has no room for a sign: a negative value writes "0".
  const bool negative = value < 0 && f.width > 1;
  long long magnitude = value < 0 ? (f.width > 1 ? -static_cast<long long>(value) : 0) : value;
  // Digits from the right; a value wider than the field keeps its last digits.
  for (int i = f.width - 1; i >= (negative ? 1 : 0); --i) {
    out[i] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  if (negative) out[0] = '-';
}

std::string settingsFieldText(uint8_t index, int field) {
  if (!validField(index, field)) return {};
  const SettingsField& f = kSettingsFields[field];
  return std::string(&PrinterSettings[index][f.offset], f.width);
}

void SetDefaultSettingsFnV(uint8_t index) {
  if (!isValidSlotIndex(index)) return;
  for (const SettingsField& f : kSettingsFields) {
    if (f.defaultValue != nullptr)
      std::memcpy(&PrinterSettings[index][f.offset], f.defaultValue, f.width);
  }
  stKtRSE[index].PosAdjXI = 0;
  stKtRSE[index].PosAdjYI = 0;
}

void ApplyHostPosAdjustFnV(uint8_t index, const LabelFormatST* labelFormat) {
  if (!isValidSlotIndex(index) || labelFormat == nullptr) return;
  PrinterSlot& slot = stKtRSE[index];
  if (slot.PosAdjModeI == 0) return;
  const int x = labelFormat->PosAdjXUB;
  const int y = labelFormat->PosAdjYUB;
  // The host stores the adjustment biased by 128; small X bytes come from hosts that
  // store it unbiased. X alone tells which, for both values.
  if (x <= 64) {
    slot.PosAdjXI = x;
    slot.PosAdjYI = y;
  } else {
    slot.PosAdjXI = x - 128;
    slot.PosAdjYI = y - 128;
  }
}

}  // namespace nypr
