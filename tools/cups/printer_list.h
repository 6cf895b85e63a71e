// What the backend prints when CUPS asks it for devices (run without arguments): the
// printers that answer the network search, one device line each.
#pragma once

#include <cstdio>

namespace nypr::cups {

// Searches the local network segment and writes the device lines to `out`. Returns the
// number of printers listed; a search that cannot run is reported on standard error as
// DEBUG: and lists none.
int listPrinters(std::FILE* out);

}  // namespace nypr::cups
