// CP932 (Shift-JIS) conversion and safe copies of CP932 text.
//
// Contract:
// - cp932FromUtf8 / utf8FromCp932 convert whole strings; characters that have no mapping
//   become "?" rather than failing, and invalid input bytes are replaced the same way.
// - copyCp932 copies `text` into `buf` of `size` bytes, cut at a character boundary (never
//   half of a double-byte character) and always NUL-terminated when size > 0; returns the
//   number of bytes copied (without the terminator).
// - isCp932LeadByte tells whether a byte starts a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nypr::platform {

std::string cp932FromUtf8(std::string_view utf8);
std::string utf8FromCp932(std::string_view cp932);
bool isCp932LeadByte(unsigned char byte);
size_t copyCp932(std::string_view text, char* buf, size_t size);

}  // namespace nypr::platform
