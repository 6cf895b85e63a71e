// The ktprint commands. Each returns the process exit code (below).
#pragma once

#include <cstdint>
#include <string>

#include "host_setup.h"

namespace ktprint {

// Exit codes, as --help and the manual page give them.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;         // the printer or the driver failed
inline constexpr int kExitUsage = 2;          // bad arguments or unreadable input
inline constexpr int kExitInterrupted = 130;  // stopped with Ctrl-C

struct PrintOptions {
  std::string imagePath;
  int copies = 1;
  double widthMm = 0;   // 0: from the image
  double lengthMm = 0;  // 0: from the image
  double gapMm = 3;
  int speed = 100;  // mm/s
  bool cut = false;
  bool peel = false;
  bool thermalTransfer = false;
  bool mirror = false;
  int threshold = 128;
  bool dither = false;
  bool fit = false;
  int rotate = 0;
  std::string previewPath;  // write the raster there instead of printing
};

int runConfig(const GlobalOptions& options, const std::string& address);
int runStatus(const GlobalOptions& options, bool json);
int runPrint(const GlobalOptions& options, const PrintOptions& print);
int runFeed(const GlobalOptions& options, const PrintOptions& label);
int runCut(const GlobalOptions& options);
int runStop(const GlobalOptions& options);
int runSearch(uint32_t timeoutMs, bool json);

}  // namespace ktprint
