// The text of an INI file, read and edited as the Windows profile functions see it.
//
// - A UTF-8 byte-order mark at the very start is not part of the first line.
// - Lines end at "\n"; blanks (space, tab, CR, VT, FF, ^Z) around a line, a name and a value
//   do not count, so CRLF files read like LF files.
// - "[name]" opens a section: the name runs to the last "]" on the line. Everything else in
//   a section is an entry: "name=value", or a bare "name" without a value.
// - Sections and keys compare case-insensitively. When a section appears twice only the
//   first occurrence is searched, and the first entry of a key wins: the later ones are
//   shadowed, as they are for GetPrivateProfileString.
// - A value wrapped in a matching pair of ' or " is returned without them.
//
// The editor changes exactly the entry the reader would return (or adds one at the end of
// the section's last "name=value" entry, or a new section at the end of the text) and
// keeps every other byte of the text, including the byte-order mark and the line ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nypr::platform {

// The value of `key` in `section`, or nothing when the entry is missing or has no "=".
std::optional<std::string> iniFindValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// `text` with `key` in `section` set to `value`, or nothing when the names or the value
// cannot be stored so that they read back (empty names, a line break anywhere, "=" in
// the key, "]" in the section name).
std::optional<std::string> iniSetValue(std::string_view text, std::string_view section,
                                       std::string_view key, std::string_view value);

}  // namespace nypr::platform
