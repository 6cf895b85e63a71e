// The module's string table (ids 60001 and above), kept once, in UTF-8 source form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace nypr {

// The text of module string `id` in UTF-8, or null when the module has none.
const char* moduleStringUtf8(uint32_t id);
// Module string `id` in CP932 into `buf` (cut at a character boundary, terminated);
// returns its length in bytes, 0 when absent. This is the resource loader behind the
// module handle.
int loadModuleString(uint32_t id, char* buf, int size);
// Module string `id` in CP932 ("" when absent).
std::string moduleStringCp932(uint32_t id);

}  // namespace nypr
