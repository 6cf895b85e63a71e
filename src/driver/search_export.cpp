// The printer search offered to hosts and tools: the setup dialog's search, with the
// records in a fixed-size form that does not tie callers to the dialog's table.
#include <algorithm>
#include <cstring>
#include <vector>

#include "discovery/printer_search.h"
#include "nyprkt3600r/nyprkt3600r.h"

namespace {

// A caller's quiet time is a wait of its own; an absurd one must still end.
constexpr uint32_t kLongestQuietMs = 60000;

template <size_t N>
void copyText(char (&to)[N], const char* from) {
  size_t n = strnlen(from, N - 1);
  std::memcpy(to, from, n);
  std::memset(to + n, 0, N - n);
}

}  // namespace

extern "C" {

NYPR_API int32_t NYPR_STDCALL NyPrSearchPrinters(uint32_t quietMs, NyPrFoundPrinterST* found,
                                                 int32_t maxCount) {
  if (found == nullptr || maxCount < 1) return nypr::kSearchBadArgs;
  uint32_t quiet = quietMs == 0 ? nypr::kSearchQuietMs : std::min(quietMs, kLongestQuietMs);
  try {
    std::vector<nypr::FoundPrinterST> records(nypr::kFoundPrinterMax);
    int count = 0;
    int result = nypr::SearchPrinterListFnI(&count, records.data(), quiet);
    // All receives used still leaves a valid list.
    if (result != nypr::kSearchDone && result != nypr::kSearchFull) return result;
    int n = std::clamp(count, 0, static_cast<int>(maxCount));
    for (int i = 0; i < n; ++i) {
      const nypr::FoundPrinterST& r = records[static_cast<size_t>(i)];
      NyPrFoundPrinterST& out = found[i];
      copyText(out.szIPAddr, r.szIPAddr);
      copyText(out.szModel, r.szModel);
      copyText(out.szMachineNo, r.szMachineNo);
    }
    return n;
  } catch (...) {
    return nypr::kSearchNoSocket;  // no memory for the table: nothing could be searched
  }
}

}  // extern "C"
