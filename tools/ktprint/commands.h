// The ktprint commands. Each returns the process exit code: 0 done, 1 the printer or the
// driver failed (its message is on standard error), 2 bad usage.
#pragma once

#include <string>

#include "host_session.h"

namespace ktprint {

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
};

int runConfig(const GlobalOptions& options, const std::string& address);
int runStatus(const GlobalOptions& options, bool json);
int runPrint(const GlobalOptions& options, const PrintOptions& print);
int runFeed(const GlobalOptions& options, const PrintOptions& label);
int runCut(const GlobalOptions& options);
int runStop(const GlobalOptions& options);

}  // namespace ktprint
