// The driver's own texts as a host reads them through the module handle the driver
// registered (the stand-in host's language loader uses it).
//
// Contract: copies text `id` in CP932 into `buf` (cut at a character boundary, always
// terminated when `size` > 0) and returns its length; 0 when the module has no such
// text or the handle is not a driver module. Windows: the DLL's STRINGTABLE resource.
// POSIX: the string table the handle points to (nyprkt3600r/module_resources.h).
#pragma once

#include <cstdint>

#include "nyprkt3600r/platform_types.h"

namespace nypr::platform {

int loadModuleText(NyHmodule module, uint32_t id, char* buf, int size);

}  // namespace nypr::platform
