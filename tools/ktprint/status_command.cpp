// ktprint config / status.
#include <cstdio>
#include <iostream>

#include "commands.h"
#include "label_job.h"
#include "nyhost/nyhost_control.h"
#include "printer_address.h"
#include "status_view.h"
#include "translation.h"

namespace ktprint {

int runConfig(const GlobalOptions& options, const std::string& address) {
  setUpHost(options);
  auto value = nypr::host::parseIpv4(address);
  if (!value) {
    std::cerr << "ktprint: " << tr("not an IPv4 address:") << " " << address << "\n";
    return kExitUsage;
  }
  if (!nypr::host::storePrinterAddress(options.printer, *value)) {
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
  nypr::host::HostRecords records;
  if (NyPrInitPrinter(static_cast<uint8_t>(options.printer), &records.job) != 0) {
    reportFailure(options.printer, tr("cannot open the printer"));
    NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
    return kExitFailed;
  }
  NyPrClosePrinter(static_cast<uint8_t>(options.printer - 1));
  const std::string line = nypr::host::readStatusLine(options.printer);
  auto view = nypr::host::parseStatusFields(line);
  if (!view || !view->labelDistanceShape || !view->bodyDistanceShape) {
    std::cerr << "ktprint: " << tr("the printer's status line is not readable:") << " " << line
              << "\n";
    return kExitFailed;
  }
  std::cout << (json ? renderStatusJson(*view) : renderStatusTable(*view));
  return kExitOk;
}

}  // namespace ktprint
