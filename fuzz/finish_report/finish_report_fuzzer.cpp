// What one read of the finish connection may bring: any bytes at all. The scan must stay
// inside them and only ever name a report that is really there.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "driver/finish_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that a read past the received bytes is caught.
  std::unique_ptr<char[]> bytes(new char[size == 0 ? 1 : size]);
  if (size > 0) std::memcpy(bytes.get(), data, size);
  const nypr::FinishReport r = nypr::findLastFinishReport(size > 0 ? bytes.get() : nullptr, size);
  if (r.found) {
    if (r.offset + nypr::kFinishReportLen > size) std::abort();
    if (bytes[r.offset] != 0x02 || bytes[r.offset + nypr::kFinishReportLen - 1] != 0x03)
      std::abort();
    if (r.error < -99 || r.error > 999 || r.remaining < -999 || r.remaining > 9999) std::abort();
  }
  return 0;
}
