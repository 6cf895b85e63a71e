#include "platform/posix/ini_text.h"

#include <strings.h>

#include <vector>

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

std::vector<Line> splitLines(std::string_view text, size_t start) {
  std::vector<Line> lines;
  for (size_t pos = start; pos < text.size();) {
    const size_t nl = text.find('\n', pos);
    Line line;
    line.begin = pos;
    line.end = nl == std::string_view::npos ? text.size() : nl + 1;
    pos = line.end;
    const std::string_view t = trim(text.substr(line.begin, line.end - line.begin));
    if (t.empty()) {
      lines.push_back(line);
      continue;
    }
    const size_t close = t.rfind(']');
    if (t.front() == '[' && close != std::string_view::npos) {
      line.kind = Line::Kind::Section;
      line.name = t.substr(1, close - 1);
    } else {
      line.kind = Line::Kind::Entry;
      const size_t eq = t.find('=');
      line.name = trim(t.substr(0, eq));
      if (eq != std::string_view::npos) {
        line.hasValue = true;
        line.value = trim(t.substr(eq + 1));
      }
    }
    lines.push_back(line);
  }
  return lines;
}

size_t bodyStart(std::string_view text) {
  return text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
}

// Where the entry the reader uses lies: the index of the first matching section header
// (or npos), and the index of the key's entry inside that section (or npos).
struct Place {
  size_t section = std::string_view::npos;
  size_t entry = std::string_view::npos;
  size_t lastValue = std::string_view::npos;  // the section's last "name=value" entry
};

Place locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  Place place;
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (place.section == std::string_view::npos) {
      if (line.kind == Line::Kind::Section && equalsNoCase(line.name, section)) place.section = i;
      continue;
    }
    if (line.kind == Line::Kind::Section) break;  // only the first occurrence counts
    if (line.kind != Line::Kind::Entry) continue;
    if (line.hasValue) place.lastValue = i;
    if (place.entry == std::string_view::npos && equalsNoCase(line.name, key)) place.entry = i;
  }
  return place;
}

}  // namespace

std::optional<std::string> iniFindValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
  section = trim(section);
  key = trim(key);
  const std::vector<Line> lines = splitLines(text, bodyStart(text));
  const Place place = locate(lines, section, key);
  if (place.entry == std::string_view::npos || !lines[place.entry].hasValue) return std::nullopt;
  std::string_view v = lines[place.entry].value;
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
  const std::vector<Line> lines = splitLines(text, bodyStart(text));
  const Place place = locate(lines, section, key);
  const std::string_view eol = text.find("\r\n") != text.npos ? "\r\n" : "\n";
  const std::string entry = std::string(key) + "=" + std::string(value);

  std::string out;
  out.reserve(text.size() + entry.size() + section.size() + 8);
  if (place.entry != std::string_view::npos) {
    // Replace the entry in place, keeping the key as the file spells it and its line end.
    const Line& line = lines[place.entry];
    const std::string_view raw = text.substr(line.begin, line.end - line.begin);
    const size_t lead = raw.find_first_not_of(" \t\v\f\x1a");
    const std::string_view ending = raw.substr(raw.find_last_not_of("\r\n") + 1);
    out.append(text.substr(0, line.begin));
    out.append(raw.substr(0, lead));
    out.append(line.name).append("=").append(value).append(ending);
    out.append(text.substr(line.end));
    return out;
  }
  if (place.section != std::string_view::npos) {
    // A new entry after the section's last value, so blank lines and trailing comments
    // between sections stay where they are.
    const size_t after =
        place.lastValue != std::string_view::npos ? place.lastValue : place.section;
    const size_t at = lines[after].end;
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
