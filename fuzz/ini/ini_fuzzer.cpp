// Any INI text (the host's file may hold anything) through a read and a write of a key.
// Input: text, then NUL-separated section, key, value and a second key to watch; missing
// parts take the driver's own names.
// - The write changes at most one line of the text: every other line is kept byte for
//   byte (a missing final line end may be added before a new entry).
// - The value written reads back, and a different key reads as before.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/ini_text.h"

namespace {

bool sameNameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool plainValue(std::string_view v) {
  const std::string_view blanks = " \t\r\n\v\f\x1a";
  if (v.empty()) return true;
  if (blanks.find(v.front()) != blanks.npos || blanks.find(v.back()) != blanks.npos) return false;
  return !(v.size() >= 2 && (v.front() == '"' || v.front() == '\''));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input's bytes, so that a read past it is caught.
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  for (size_t pos = 0;;) {
    const size_t nul = input.find('\0', pos);
    parts.push_back(input.substr(pos, nul == std::string::npos ? std::string::npos : nul - pos));
    if (nul == std::string::npos) break;
    pos = nul + 1;
  }
  const std::string& text = parts[0];
  const std::string section = parts.size() > 1 ? parts[1] : "KT3600R Info";
  const std::string key = parts.size() > 2 ? parts[2] : "KT00";
  const std::string value = parts.size() > 3 ? parts[3] : "C0A8000A#0";
  const std::string other = parts.size() > 4 ? parts[4] : "KT01";

  (void)nypr::platform::iniFindValue(text, section, key);
  const std::optional<std::string> otherBefore = nypr::platform::iniFindValue(text, section, other);
  const std::optional<std::string> out = nypr::platform::iniSetValue(text, section, key, value);
  if (!out) return 0;

  // Only one line may differ: the bytes of the text between the common start and the
  // common end hold no line break.
  size_t head = 0;
  while (head < text.size() && head < out->size() && text[head] == (*out)[head]) ++head;
  size_t tail = 0;
  while (tail < text.size() - head && tail < out->size() - head &&
         text[text.size() - 1 - tail] == (*out)[out->size() - 1 - tail]) {
    ++tail;
  }
  if (text.substr(head, text.size() - head - tail).find('\n') != std::string::npos) std::abort();

  if (plainValue(value) && nypr::platform::iniFindValue(*out, section, key) != value) std::abort();
  std::string_view trimmedKey = key, trimmedOther = other;
  const auto trim = [](std::string_view& s) {
    while (!s.empty() && std::string_view(" \t\r\n\v\f\x1a").find(s.front()) != s.npos) {
      s.remove_prefix(1);
    }
    while (!s.empty() && std::string_view(" \t\r\n\v\f\x1a").find(s.back()) != s.npos) {
      s.remove_suffix(1);
    }
  };
  trim(trimmedKey);
  trim(trimmedOther);
  if (!sameNameNoCase(trimmedKey, trimmedOther) &&
      nypr::platform::iniFindValue(*out, section, other) != otherBefore) {
    std::abort();
  }
  return 0;
}
