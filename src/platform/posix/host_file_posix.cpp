#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/host_file.h"

namespace nypr::platform {

int hostFileRead(NyHfile file, void* buf, uint32_t size) {
  if (file == NY_INVALID_FILE || file < 0 || file > INT_MAX || (size > 0 && !buf)) return -1;
  if (size > INT_MAX) size = INT_MAX;
  uint32_t total = 0;
  auto* out = static_cast<char*>(buf);
  // Keep reading until the request is met or the file ends, so that a short count always
  // means the end of the file (as _lread on a disk file).
  while (total < size) {
    ssize_t n = read(static_cast<int>(file), out + total, size - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return total > 0 ? static_cast<int>(total) : -1;
    if (n == 0) break;
    total += static_cast<uint32_t>(n);
  }
  return static_cast<int>(total);
}

NyHfile hostFileOpen(const char* path) {
  if (path == nullptr) return NY_INVALID_FILE;
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  return fd < 0 ? NY_INVALID_FILE : static_cast<NyHfile>(fd);
}

void hostFileClose(NyHfile file) {
  if (file == NY_INVALID_FILE || file < 0 || file > INT_MAX) return;
  close(static_cast<int>(file));
}

}  // namespace nypr::platform
