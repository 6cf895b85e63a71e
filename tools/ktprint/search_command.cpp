// ktprint search: the printers that answer on the local network segment.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "driver_text.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "status_view.h"
#include "terminal_text.h"
#include "translation.h"

namespace ktprint {
namespace {

constexpr int32_t kMaxPrinters = 100;

// The printer pads its model text with spaces to a fixed width; a JSON reader wants the
// name alone.
std::string withoutPadding(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

}  // namespace

int runSearch(uint32_t timeoutMs, bool json) {
  std::vector<NyPrFoundPrinterST> found(kMaxPrinters);
  int32_t n = NyPrSearchPrinters(timeoutMs, found.data(), kMaxPrinters);
  if (n < 0) {
    std::cerr << "ktprint: " << tr("search") << ": " << tr(nypr::host::searchFailureText(n))
              << "\n";
    return kExitFailed;
  }
  found.resize(static_cast<size_t>(n));
  std::ostringstream out;
  if (json) {
    out << "[";
    for (size_t i = 0; i < found.size(); ++i) {
      out << (i ? "," : "") << "{\"address\":" << jsonString(found[i].szIPAddr)
          << ",\"model\":" << jsonString(withoutPadding(toUtf8(found[i].szModel)))
          << ",\"machineNumber\":" << jsonString(found[i].szMachineNo) << "}";
    }
    out << "]\n";
  } else if (found.empty()) {
    std::cerr << "ktprint: " << tr("no printer answered") << "\n";
  } else {
    char line[160];
    std::snprintf(line, sizeof line, "%-16s %-20s %s\n", tr("ADDRESS"), tr("MODEL"), tr("MACHINE"));
    out << line;
    for (const auto& p : found) {
      std::snprintf(line, sizeof line, "%-16s %-20s %s\n", p.szIPAddr,
                    toTerminal(p.szModel).c_str(), p.szMachineNo);
      out << line;
    }
  }
  std::cout << out.str();
  return kExitOk;
}

}  // namespace ktprint
