// The number in a control's text as GetDlgItemInt reads it, shared by both dialog backends
// so that a value typed into a dialog means the same on every platform: leading blanks
// skipped, an optional "-" when isSigned, digits up to the first other character; no
// digits or a number outside 32 bits gives 0 with *translated false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nypr::platform {

inline int64_t parseDialogInt(std::string_view text, bool* translated, bool isSigned) {
  if (translated != nullptr) *translated = false;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (isSigned && i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  int64_t value = 0;
  size_t digits = 0;
  const int64_t limit = isSigned ? (negative ? 2147483648LL : 2147483647LL) : 4294967295LL;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    value = value * 10 + (text[i] - '0');
    if (value > limit) return 0;
  }
  if (digits == 0) return 0;
  if (translated != nullptr) *translated = true;
  return negative ? -value : value;
}

}  // namespace nypr::platform
