// The search for printers on the local network segment by UDP broadcast.
#pragma once

#include <cstdint>

#include "discovery/search_reply.h"

namespace nypr {

inline constexpr int kFoundPrinterMax = 100;
inline constexpr uint16_t kSearchPort = 30000;
// How long a receive waits for the next reply before the segment counts as silent.
inline constexpr uint32_t kSearchQuietMs = 1000;

// Results of SearchPrinterListFnI.
inline constexpr int kSearchDone = 0;
inline constexpr int kSearchNoSocket = -1;
inline constexpr int kSearchNoBroadcast = -2;
inline constexpr int kSearchPortBusy = -3;  // another search (or program) holds the port
inline constexpr int kSearchSendFailed = -4;
inline constexpr int kSearchFull = -5;     // all 100 receives were used
inline constexpr int kSearchBadArgs = -6;  // no table to fill

// The printers of the last list search, and how many there are.
extern FoundPrinterST stFoundPrinter[kFoundPrinterMax];
extern int nFoundPrinter;

// Broadcasts the search request from UDP port 30000 and collects the printers' replies in
// arrival order into `records` (room for kFoundPrinterMax), until a receive brings nothing
// within `quietMs` or 100 receives were made; the number of records goes to `count` (when
// not null) in every case. Blocks the calling thread meanwhile.
int SearchPrinterListFnI(int* count, FoundPrinterST* records, uint32_t quietMs = kSearchQuietMs);

}  // namespace nypr
