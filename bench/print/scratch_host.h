// The host both label timing programs print through: an INI file and a module folder in a
// scratch directory (removed at exit), with printer 1 pointed at the printer under test.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "nyhost/nyhost_control.h"

namespace nypr::bench {

// 127.0.0.2 as the driver keeps it in the INI file: the address's value.
inline bool addressValue(const std::string& text, uint32_t& value) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  char end = 0;
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &end) != 4 || a > 255 || b > 255 ||
      c > 255 || d > 255) {
    return false;
  }
  value = (a << 24) | (b << 16) | (c << 8) | d;
  return true;
}

struct ScratchHost {
  std::filesystem::path path;
  std::string ini;

  explicit ScratchHost(const char* program) {
    std::random_device rd;
    path = std::filesystem::temp_directory_path() /
           (std::string("nypr_") + program + "_" + std::to_string(rd()));
    std::filesystem::create_directories(path);
    ini = (path / "host.ini").string();
    nyhostSetIniPath(ini.c_str());
    nyhostSetModuleDir(path.string().c_str());
  }
  ~ScratchHost() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  ScratchHost(const ScratchHost&) = delete;
  ScratchHost& operator=(const ScratchHost&) = delete;

  // Printer 1's address as the setup dialog stores it ("KT00": the value in hex).
  bool pointPrinterAt(uint32_t address) const {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", address);
    return nyhostProfileWrite("KT3600R Info", "KT00", hex) != 0;
  }
};

}  // namespace nypr::bench
