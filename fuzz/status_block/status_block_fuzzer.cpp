// Any status block and distance answer the printer may send: the summary parse and the
// status line never read past the block and never put a line break into the INI file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "status/printer_status.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char block[nypr::kStatusBlockLen] = {};
  char distances[32] = {};
  size_t n = size < sizeof block ? size : sizeof block;
  if (n > 0) std::memcpy(block, data, n);
  if (size > sizeof block) {
    size_t m = size - sizeof block;
    std::memcpy(distances, data + sizeof block, m < sizeof distances ? m : sizeof distances);
  }
  nypr::PrnStatus summary{};
  nypr::parseStatusSummary(block, summary);
  std::string line = nypr::buildStatusLine(block, distances);
  if (line.size() > 100 || line.find_first_of("\r\n") != std::string::npos) std::abort();
  for (int width = 0; width <= 4; ++width) nypr::ParseNumFieldFnI(block + 20, width);
  return 0;
}
