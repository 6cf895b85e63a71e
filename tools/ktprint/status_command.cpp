// ktprint config / status.
#include <cstdio>
#include <iostream>

#include "commands.h"
#include "nyhost/nyhost_control.h"
#include "printer_config.h"
#include "status_view.h"
#include "translation.h"

namespace ktprint {

int runConfig(const GlobalOptions& options, const std::string& address) {
  setUpHost(options);
  auto value = parseIpv4(address);
  if (!value) {
    std::cerr << "ktprint: " << tr("not an IPv4 address:") << " " << address << "\n";
    return kExitUsage;
  }
  if (!storePrinterAddress(options.printer, *value)) {
    std::cerr << "ktprint: " << tr("cannot write") << " " << nyhostIniPath() << "\n";
    return kExitFailed;
  }
  char text[1024];
  std::snprintf(text, sizeof text, tr("printer %d: address %s stored in %s\n"), options.printer,
                address.c_str(), nyhostIniPath());
  std::cout << text;
  return kExitOk;
}

int runStatus(const GlobalOptions& options, bool json) {
  setUpHost(options);
  HostJob job;
  if (NyPrInitPrinter(static_cast<uint8_t>(options.printer), &job.job) != 0) {
    reportFailure(options.printer, tr("cannot open the printer"));
    NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
    return kExitFailed;
  }
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  char key[32];
  std::snprintf(key, sizeof key, "STATUS%02d", options.printer - 1);
  char line[512] = {};
  nyhostProfileRead("KT3600R Info", key, "", line, sizeof line);
  auto view = parseStatusLine(line);
  if (!view) {
    std::cerr << "ktprint: " << tr("the printer's status line is not readable:") << " " << line
              << "\n";
    return kExitFailed;
  }
  std::cout << (json ? renderStatusJson(*view) : renderStatusTable(*view));
  return kExitOk;
}

}  // namespace ktprint
