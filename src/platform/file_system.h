// Paths and directories of files the driver writes itself (the label backup copies).
//
// Contract:
// - kPathSeparator is the platform's directory separator ('/' on POSIX, '\\' on Windows).
// - joinPath(dir, name) puts one separator between them (none when `dir` is empty or
//   already ends with one); `name` may itself hold separators of this platform.
// - ensureDirectory(path) creates the directory when it is missing (its parent must
//   exist) and returns true when it exists afterwards as a directory.
#pragma once

#include <string>

namespace nypr::platform {

extern const char kPathSeparator;

std::string joinPath(const std::string& dir, const std::string& name);
bool ensureDirectory(const std::string& path);

}  // namespace nypr::platform
