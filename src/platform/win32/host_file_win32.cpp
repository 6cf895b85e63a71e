// Windows backend of platform/host_file.h: the host's file handles are Win32 file handles.
#include <windows.h>

#include <climits>

#include "platform/host_file.h"

namespace nypr::platform {
namespace {

HANDLE handleOf(NyHfile file) {
  return reinterpret_cast<HANDLE>(file);
}

bool isOpen(NyHfile file) {
  return file != NY_INVALID_FILE && file != 0;
}

}  // namespace

int hostFileRead(NyHfile file, void* buf, uint32_t size) {
  if (!isOpen(file) || (size > 0 && !buf)) return -1;
  if (size > INT_MAX) size = INT_MAX;
  uint32_t total = 0;
  auto* out = static_cast<char*>(buf);
  // A short count always means the end of the file, as _lread on a disk file.
  while (total < size) {
    DWORD n = 0;
    if (!ReadFile(handleOf(file), out + total, size - total, &n, nullptr)) {
      return total > 0 ? static_cast<int>(total) : -1;
    }
    if (n == 0) break;
    total += n;
  }
  return static_cast<int>(total);
}

NyHfile hostFileOpen(const char* path) {
  if (path == nullptr) return NY_INVALID_FILE;
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? NY_INVALID_FILE : reinterpret_cast<NyHfile>(h);
}

void hostFileClose(NyHfile file) {
  if (!isOpen(file)) return;
  CloseHandle(handleOf(file));
}

}  // namespace nypr::platform
