// Windows backend of platform/file_system.h: paths with backslashes, CreateDirectoryA
// (paths are in the host's ANSI code page, as the host hands them over).
#include <windows.h>

#include "platform/file_system.h"

namespace nypr::platform {

const char kPathSeparator = '\\';

std::string joinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '\\' || dir.back() == '/') return dir + name;
  return dir + kPathSeparator + name;
}

bool ensureDirectory(const std::string& path) {
  if (path.empty()) return false;
  if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return false;
  }
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace nypr::platform
