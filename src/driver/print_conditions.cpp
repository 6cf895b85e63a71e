#include "driver/print_conditions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "settings/printer_settings.h"

namespace nypr {
namespace {

bool allowed(const int32_t* word) {
  return word != nullptr && *word != 0;
}

// A value written with at least `width` digits whose first `width` characters fill the
// field (a dot count wider than its field loses its last digits, as the printer has
// always been sent it).
void putLeading(char* field, int width, long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld", width, value);
  std::memcpy(field, text, static_cast<size_t>(width));
}

char flagChar(bool on) {
  return on ? '1' : '0';
}

// The sensor distances come from the host plus one; 0 means "not given".
int sensorDistance(uint16_t fromHost) {
  if (fromHost == 0) return 548;
  return std::clamp(fromHost - 1, 240, 1600);
}

int cutterDistance(uint16_t fromHost) {
  if (fromHost == 0) return 305;
  return std::clamp(fromHost - 1, 0, 9999);
}

}  // namespace

ConditionsInput conditionsInputFromJob(const PrintJobST& job) {
  ConditionsInput in;
  in.label = job.lpLabelFormat;
  in.cond = job.lpPrintCond;
  in.allowFlag100 = allowed(job.lpAllowFlag100);
  in.allowFlag80 = allowed(job.lpAllowFlag80A) && allowed(job.lpAllowFlag80B);
  return in;
}

int dotsFromTenthMm(int32_t tenthMm) {
  const long long scaled = static_cast<long long>(tenthMm) * 12;
  const long long dots = scaled >= 0 ? (scaled + 5) / 10 : -((-scaled + 5) / 10);
  return static_cast<int>(dots);
}

void buildConditionsData(uint8_t index, ConditionsCommand command, const ConditionsInput& in,
                         char* data) {
  const LabelFormatST& label = *in.label;
  const PrintCondST& cond = *in.cond;
  const uint16_t flags = cond.OptionFlagsUW;
  const bool print = command == ConditionsCommand::Print;

  std::memset(data, '0', kConditionsDataLen);
  putLeading(data + 0, 4, dotsFromTenthMm(label.WidthUW));
  putLeading(data + 4, 4, dotsFromTenthMm(label.LengthUW));
  putLeading(data + 8, 3, dotsFromTenthMm(label.GapUW));
  putLeading(data + 11, 3, std::min<int>(cond.Cond2UW, kMaxConditionValue));
  putLeading(data + 14, 3, std::min<int>(cond.Cond4UW, kMaxConditionValue));
  data[17] = flagChar(flags & NYPR_COND_THERMAL_TRANSFER);
  data[18] = flagChar(flags & NYPR_COND_BACKFEED_QUESTION);
  data[19] = flagChar(flags & NYPR_COND_AUTO_PEEL);
  data[20] = flagChar(flags & NYPR_COND_FLAG_4);
  data[21] = flagChar(flags & NYPR_COND_FLAG_2);
  putLeading(data + 22, 3, in.posAdjX);
  putLeading(data + 25, 3, in.posAdjY);

  char* record = PrinterSettings[index];
  record[kSettingsFields[kFieldFlag100].offset] = flagChar(flags & NYPR_COND_FLAG_100);
  setSettingsFieldInt(index, kFieldLabelLengthDots, dotsFromTenthMm(label.LengthUW));
  bool autoCut = (flags & NYPR_COND_AUTO_CUT) != 0;
  if (print && (flags & NYPR_COND_FLAG_200)) autoCut = false;
  record[kSettingsFields[kFieldAutoCut].offset] = flagChar(autoCut);
  const int count =
      cond.CountUW == 0 || cond.CountUW > kMaxConditionValue ? kMaxConditionValue : cond.CountUW;
  setSettingsFieldInt(index, kFieldCount53, count);
  const bool flag80 = (flags & NYPR_COND_FLAG_80) != 0 && (!print || in.allowFlag80);
  record[kSettingsFields[kFieldFlag80].offset] = flagChar(flag80);

  const int copies = print ? std::clamp<int32_t>(in.copies, 0, kMaxCopiesField) : 1;
  putLeading(data + 28, 4, copies);
  std::memcpy(data + kConditionsRecordPos, record, kSettingsRecordSize);
  if (print) {
    data[kConditionsFlag100Pos] = flagChar(in.allowFlag100 && (flags & NYPR_COND_FLAG_100));
  }
}

void applyLaterSettingsUpdates(uint8_t index, const PrintCondST& cond) {
  setSettingsFieldInt(index, kFieldGapSensorDist, sensorDistance(cond.GapDistUW));
  setSettingsFieldInt(index, kFieldMarkSensorDist, sensorDistance(cond.MarkDistUW));
  setSettingsFieldInt(index, kFieldAutoCutterDist, cutterDistance(cond.CutterDistUW));
}

}  // namespace nypr
