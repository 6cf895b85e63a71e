#include "platform/posix/ini_text.h"

#include <strings.h>

namespace nypr::platform {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// One line of the text as the profile functions classify it.
struct Line {
  size_t begin = 0;  // offset of the line in the text
  size_t end = 0;    // offset past its "\n" (or the end of the text)
  enum class Kind { Blank, Section, Entry } kind = Kind::Blank;
  std::string_view name;   // section or key name
  bool hasValue = false;   // an entry with "="
  std::string_view value;  // trimmed value of such an entry
};

// The line that starts at `pos` (which must be inside the text), classified.
Line lineAt(std::string_view text, size_t pos) {
  const size_t nl = text.find('\n', pos);
  Line line;
  line.begin = pos;
  line.end = nl == std::string_view::npos ? text.size() : nl + 1;
  const std::string_view t = trim(text.substr(line.begin, line.end - line.begin));
  if (t.empty()) return line;
  const size_t close = t.rfind(']');
  if (t.front() == '[' && close != std::string_view::npos) {
    line.kind = Line::Kind::Section;
    line.name = t.substr(1, close - 1);
    return line;
  }
  line.kind = Line::Kind::Entry;
  const size_t eq = t.find('=');
  line.name = trim(t.substr(0, eq));
  if (eq != std::string_view::npos) {
    line.hasValue = true;
    line.value = trim(t.substr(eq + 1));
  }
  return line;
}

size_t bodyStart(std::string_view text) {
  return text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
}

// Where the entry the reader uses lies: the first matching section header, the key's
// entry inside that section and the section's last "name=value" entry, each when found.
// One pass over the text that keeps no more than these three lines, so the memory a read
// takes does not grow with the number of lines.
struct Place {
  std::optional<Line> section;
  std::optional<Line> entry;
  std::optional<Line> lastValue;
};

Place locate(std::string_view text, std::string_view section, std::string_view key) {
  Place place;
  for (size_t pos = bodyStart(text); pos < text.size();) {
    const Line line = lineAt(text, pos);
    pos = line.end;
    if (!place.section) {
      if (line.kind == Line::Kind::Section && equalsNoCase(line.name, section))
        place.section = line;
      continue;
    }
    if (line.kind == Line::Kind::Section) break;  // only the first occurrence counts
    if (line.kind != Line::Kind::Entry) continue;
    if (line.hasValue) place.lastValue = line;
    if (!place.entry && equalsNoCase(line.name, key)) place.entry = line;
  }
  return place;
}

}  // namespace

std::optional<std::string> iniFindValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
  section = trim(section);
  key = trim(key);
  const Place place = locate(text, section, key);
  if (!place.entry || !place.entry->hasValue) return std::nullopt;
  std::string_view v = place.entry->value;
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return std::string(v);
}

std::optional<std::string> iniSetValue(std::string_view text, std::string_view section,
                                       std::string_view key, std::string_view value) {
  section = trim(section);
  key = trim(key);
  auto hasBreak = [](std::string_view s) { return s.find_first_of("\r\n") != s.npos; };
  if (section.empty() || key.empty() || hasBreak(section) || hasBreak(key) || hasBreak(value) ||
      key.find('=') != key.npos || key.front() == '[') {
    return std::nullopt;
  }
  const Place place = locate(text, section, key);
  const std::string_view eol = text.find("\r\n") != text.npos ? "\r\n" : "\n";
  const std::string entry = std::string(key) + "=" + std::string(value);

  std::string out;
  out.reserve(text.size() + entry.size() + section.size() + 8);
  if (place.entry) {
    // Replace the entry in place, keeping the key as the file spells it and its line end.
    const Line& line = *place.entry;
    const std::string_view raw = text.substr(line.begin, line.end - line.begin);
    const size_t lead = raw.find_first_not_of(" \t\v\f\x1a");
    const std::string_view ending = raw.substr(raw.find_last_not_of("\r\n") + 1);
    out.append(text.substr(0, line.begin));
    out.append(raw.substr(0, lead));
    out.append(line.name).append("=").append(value).append(ending);
    out.append(text.substr(line.end));
    return out;
  }
  if (place.section) {
    // A new entry after the section's last value, so blank lines and trailing comments
    // between sections stay where they are.
    const size_t at = place.lastValue ? place.lastValue->end : place.section->end;
    out.append(text.substr(0, at));
    if (out.empty() || out.back() != '\n') out.append(eol);
    out.append(entry).append(eol);
    out.append(text.substr(at));
    return out;
  }
  out.append(text);
  if (!out.empty() && out.back() != '\n' && out != kUtf8Bom) out.append(eol);
  out.append("[").append(section).append("]").append(eol);
  out.append(entry).append(eol);
  return out;
}

}  // namespace nypr::platform
