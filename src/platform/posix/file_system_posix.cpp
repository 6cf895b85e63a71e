#include <sys/stat.h>

#include <cerrno>

#include "platform/file_system.h"

namespace nypr::platform {

const char kPathSeparator = '/';

std::string joinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == kPathSeparator) return dir + name;
  return dir + kPathSeparator + name;
}

bool ensureDirectory(const std::string& path) {
  if (path.empty()) return false;
  if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace nypr::platform
