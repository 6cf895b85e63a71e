// Reading a file that the host opened for the driver (_OpenFileFnHF@8 hands back the
// handle; Windows: a Win32 file handle read with ReadFile, POSIX: a descriptor).
//
// Contract (the _lread/_lclose pair):
// - hostFileRead reads up to `size` bytes; returns the count read (0 at the end of the
//   file) or -1 when the handle cannot be read. Interrupted reads are resumed, so a count
//   below `size` means the end of the file was reached.
// - hostFileClose releases the handle; an invalid handle is ignored.
// - hostFileOpen (for the stand-in host) opens a file for reading; NY_INVALID_FILE when
//   it cannot.
#pragma once

#include <cstdint>

#include "core/host_api.h"

namespace nypr::platform {

int hostFileRead(NyHfile file, void* buf, uint32_t size);
void hostFileClose(NyHfile file);
NyHfile hostFileOpen(const char* path);

}  // namespace nypr::platform
