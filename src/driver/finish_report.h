// The finish reports the printer sends unasked on the finish connection: 22-byte frames
// (STX, "0016", 16 payload bytes, ETX) with the printer's error number and the copies it
// still has to issue. Several may arrive in one read, and a read may end inside one.
#pragma once

#include <cstddef>

namespace nypr {

inline constexpr int kFinishReportLen = 22;

struct FinishReport {
  bool found = false;  // a complete report was in the bytes
  size_t offset = 0;   // where the last complete one starts
  int error = 0;       // payload 9-11: 0 none, 999 stopped by the printer, 998, others
  int remaining = 0;   // payload 12-15: copies still to issue
  // Where a report starts that the received bytes end inside (its rest is still on the
  // way), or `len` when the bytes end on a report boundary or in something else.
  size_t unfinished = 0;
};

// The last complete report in `bytes` (`len` bytes received). Reports are taken from the
// start one after another; the scan stops at the first STX that does not close with an
// ETX 21 bytes on, or that the received bytes end before (that one is `unfinished`).
// Nothing past `len` is read.
FinishReport findLastFinishReport(const char* bytes, size_t len);

}  // namespace nypr
