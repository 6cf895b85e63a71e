// The raw entries of the module's string table (UTF-8 source form).
#pragma once

#include <cstdint>
#include <span>

namespace nypr {

struct ModuleString {
  uint32_t id;
  const char* utf8;
};

// Every entry, sorted by id (for tools that list or export the table).
std::span<const ModuleString> moduleStringTable();

}  // namespace nypr
