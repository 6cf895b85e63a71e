// The print conditions that open a print job (PRS) or a feed (FES): 200 data bytes of
// label size in dots, two condition values, option flags, position adjustments, copies
// and the printer's 168-character parameter record, which is brought up to date for the
// job on the way.
#pragma once

#include <cstdint>

#include "nyprkt3600r/host_records.h"

namespace nypr {

// Data bytes behind the header and code; the payload is 208 bytes.
inline constexpr int kConditionsDataLen = 200;
// Where the parameter record starts in the data, and the one data byte that differs from
// it (record byte 30, the 0x100 flag).
inline constexpr int kConditionsRecordPos = 32;
inline constexpr int kConditionsFlag100Pos = 62;
// Largest copies and condition values the fields carry.
inline constexpr int kMaxCopiesField = 9999;
inline constexpr int kMaxConditionValue = 999;

enum class ConditionsCommand {
  Print,  // PRS: the job's copies; flags 0x200 and the host's permissions count
  Feed,   // FES: one label; flag 0x20 alone sets auto cut, flag 0x80 alone its field
};

// Everything the conditions are made of besides the printer's record.
struct ConditionsInput {
  const LabelFormatST* label = nullptr;  // required
  const PrintCondST* cond = nullptr;     // required
  bool allowFlag100 = false;             // the host lets flag 0x100 reach the printer
  bool allowFlag80 = false;              // the host lets flag 0x80 reach the printer
  int32_t copies = 1;                    // Print only
  int32_t posAdjX = 0;                   // dots
  int32_t posAdjY = 0;
};

// The host's permission words of a job (PrintJobST offsets 16, 20 and 24); a missing one
// counts as "not allowed".
ConditionsInput conditionsInputFromJob(const PrintJobST& job);

// 0.1 mm to dots at 12 dots/mm, halves away from zero.
int dotsFromTenthMm(int32_t tenthMm);

// The longest label the print and feed commands can describe: four digits of dots.
inline constexpr int kMaxLabelLengthDots = 9999;

// Fills `data` (200 bytes) for printer `index` and updates its record in memory as the
// job needs it: field 10 (flag 0x100), 51 (label length in dots), 52 (auto cut), 53
// (count) and 54 (flag 0x80). The record is copied into the data after those updates.
void buildConditionsData(uint8_t index, ConditionsCommand command, const ConditionsInput& in,
                         char* data);

// The record fields that reach the printer only with the next job: gap and mark sensor
// distances (fields 4 and 5) and the auto cutter distance (field 56).
void applyLaterSettingsUpdates(uint8_t index, const PrintCondST& cond);

}  // namespace nypr
