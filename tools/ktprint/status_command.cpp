// ktprint config / status.
#include <cstdio>
#include <iostream>

#include "commands.h"
#include "nyhost/nyhost_control.h"
#include "printer_config.h"
#include "status_view.h"

namespace ktprint {

int runConfig(const GlobalOptions& options, const std::string& address) {
  setUpHost(options);
  auto value = parseIpv4(address);
  if (!value) {
    std::cerr << "ktprint: not an IPv4 address: " << address << "\n";
    return 2;
  }
  if (!storePrinterAddress(options.printer, *value)) {
    std::cerr << "ktprint: cannot write " << nyhostIniPath() << "\n";
    return 1;
  }
  std::cout << "printer " << options.printer << ": address " << address << " stored in "
            << nyhostIniPath() << "\n";
  return 0;
}

int runStatus(const GlobalOptions& options, bool json) {
  setUpHost(options);
  HostJob job;
  if (NyPrInitPrinter(static_cast<uint8_t>(options.printer), &job.job) != 0) {
    std::cerr << "ktprint: " << driverErrorText(options.printer) << "\n";
    NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
    return 1;
  }
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  char key[32];
  std::snprintf(key, sizeof key, "STATUS%02d", options.printer - 1);
  char line[512] = {};
  nyhostProfileRead("KT3600R Info", key, "", line, sizeof line);
  auto view = parseStatusLine(line);
  if (!view) {
    std::cerr << "ktprint: the printer's status line is not readable: " << line << "\n";
    return 1;
  }
  std::cout << (json ? renderStatusJson(*view) : renderStatusTable(*view));
  return 0;
}

}  // namespace ktprint
