// The fields of a stored settings line (address first), split at its separators.
#pragma once

#include <string>
#include <vector>

namespace nypr::test {

inline std::vector<std::string> storedFields(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t pos; (pos = line.find('#', start)) != std::string::npos; start = pos + 1) {
    parts.push_back(line.substr(start, pos - start));
  }
  if (!line.empty()) parts.push_back(line.substr(start));
  return parts;
}

}  // namespace nypr::test
