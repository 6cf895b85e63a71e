// Print-head protection filter.
//
// A run of printed dots in one column keeps one head element firing line after line;
// dropping one dot in every threshold + 1 lets it cool. Each run starts at a phase of its
// own so that the gaps of neighbouring columns do not line up into a visible line. The
// first and the last dot of every run always print.
#include "image/head_protect.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <ctime>

#include "platform/profile.h"
#include "settings/printer_settings.h"

namespace nypr {

namespace {

// One "%i" conversion: leading blanks, sign, base prefix, digits. False when no digit.
bool scanInteger(const char*& p, int* value) {
  const char* s = p;
  while (std::isspace(static_cast<unsigned char>(*s))) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') {
    negative = *s == '-';
    ++s;
  }
  int base = 10;
  bool digits = false;
  if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    // "0x" alone is read as 0 with the prefix consumed, as the C library's scanf does.
    base = 16;
    digits = true;
    s += 2;
  } else if (s[0] == '0') {
    base = 8;
  }
  unsigned long long magnitude = 0;
  const unsigned long long limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
  for (;; ++s) {
    int d;
    const auto c = static_cast<unsigned char>(*s);
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      d = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      d = c - 'A' + 10;
    } else {
      break;
    }
    if (d >= base) break;
    digits = true;
    magnitude = std::min(limit, magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(d));
  }
  if (!digits) return false;
  *value =
      negative ? static_cast<int>(-static_cast<long long>(magnitude)) : static_cast<int>(magnitude);
  p = s;
  return true;
}

struct PhaseCursor {
  const PhaseTable& table;
  int index = 0;
  int64_t next() {
    if (index < kPhaseTableSize) return table[index++];
    index = 0;
    return table[0];
  }
};

// All eight dots of a byte (bit 7 = leftmost) in the order the columns are scanned.
inline int leftmost(unsigned bits) {
  return __builtin_clz(bits) - 24;
}

}  // namespace

HeadProtectTuning parseHeadProtectTuning(const char* text) {
  HeadProtectTuning tuning;
  if (text == nullptr) return tuning;
  const char* p = text;
  int value;
  if (!scanInteger(p, &value)) return tuning;
  tuning.enable = value;
  if (!scanInteger(p, &value)) return tuning;
  tuning.threshold = value;
  return tuning;  // a third value is accepted and has no effect
}

PhaseTable makePhaseTable(int threshold, uint32_t seed) {
  ClassicRand rng(seed);
  PhaseTable table{};
  for (int64_t& entry : table) {
    const int r = rng.next();
    entry = static_cast<int64_t>((r / 32767.0) * (static_cast<double>(threshold) + 1.0));
  }
  return table;
}

void protectPrintHead(uint8_t* bits, int32_t rows, int32_t bytesPerRow,
                      const HeadProtectTuning& tuning, uint32_t seed) {
  if (bits == nullptr || rows <= 0 || bytesPerRow <= 0) return;
  if (tuning.enable == 0 || tuning.threshold <= 0) return;
  const int64_t threshold = tuning.threshold;
  const PhaseTable table = makePhaseTable(tuning.threshold, seed);
  PhaseCursor phases{table};

  const int32_t width = std::min(kHeadProtectMaxRowBytes, bytesPerRow);
  // Per dot column, how many more printed dots the run may have before one is dropped:
  // threshold - (dots since the run's start or its last dropped dot). Kept as the
  // distance so that it stays within 32 bits for any threshold. Only meaningful where the
  // column's bit in `inRun` is set (a run is in progress).
  int32_t left[kHeadProtectMaxRowBytes * 8];
  uint8_t inRun[kHeadProtectMaxRowBytes] = {};
  const auto full = static_cast<int32_t>(tuning.threshold);

  for (int32_t r = 0; r < rows; ++r) {
    uint8_t* row = bits + static_cast<size_t>(r) * static_cast<size_t>(bytesPerRow);
    const uint8_t* below =
        r + 1 < rows ? row + static_cast<size_t>(bytesPerRow) : nullptr;  // last row: blank
    int32_t j = 0;
    while (j < width) {
      // Most of a label is blank paper: eight blank bytes end every run under them.
      if (j + 8 <= width) {
        uint64_t word;
        std::memcpy(&word, row + j, sizeof word);
        if (word == ~uint64_t{0}) {
          std::memset(inRun + j, 0, 8);
          j += 8;
          continue;
        }
      }
      const int32_t end = std::min(width, j + 8);
      for (; j < end; ++j) {
        const auto printed = static_cast<unsigned>(~row[j] & 0xFFu);
        const unsigned running = inRun[j];
        inRun[j] = static_cast<uint8_t>(printed);
        if (printed == 0) continue;
        int32_t* col = left + static_cast<size_t>(j) * 8;
        // Runs that start here take the next phases, left to right.
        for (unsigned starts = printed & ~running; starts != 0;) {
          const int k = leftmost(starts);
          starts &= ~(0x80u >> k);
          col[k] = static_cast<int32_t>(threshold - phases.next());
        }
        const unsigned going = printed & running;
        if (going == 0) continue;
        // All eight columns at once, without branches: a dot goes when its run is past
        // the threshold and the run goes on below.
        const unsigned printedBelow = below != nullptr ? (~below[j] & 0xFFu) : 0u;
        unsigned dropped = 0;
        for (int k = 0; k < 8; ++k) {
          const unsigned bit = 0x80u >> k;
          const int32_t step = (going & bit) != 0 ? 1 : 0;
          const int32_t v = col[k] - step;
          const bool drop = (step != 0) & (v < 0) & ((printedBelow & bit) != 0);
          col[k] = drop ? full : v;
          dropped |= drop ? bit : 0u;
        }
        row[j] = static_cast<uint8_t>(row[j] | dropped);
      }
    }
  }
}

void PrintHeadProtectFnV(uint8_t* bits, int32_t /*spare1*/, int32_t /*spare2*/, int32_t rows,
                         int32_t bytesPerRow) {
  char text[256] = {};
  platform::profileReadString(hostIniPath(), "Maintenance", "KT5_SW_TUNE", "", text, sizeof text);
  const HeadProtectTuning tuning = parseHeadProtectTuning(text);
  if (tuning.enable == 0 || tuning.threshold <= 0) return;
  protectPrintHead(bits, rows, bytesPerRow, tuning, static_cast<uint32_t>(std::time(nullptr)));
}

}  // namespace nypr
