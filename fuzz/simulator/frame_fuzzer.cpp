// Feeds arbitrary host bytes through the simulator's frame reader and hands every frame
// that comes out to the printer's answer builders, as a connection thread would.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ktsim/frame.h"
#include "protocol.h"
#include "raster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (data == nullptr) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  ktsim::FrameReader reader;
  ktsim::PrinterState state;
  // The first byte picks the chunk size, so frames are split at every possible place.
  const size_t chunk = size > 0 ? static_cast<size_t>(data[0] % 64) + 1 : 1;
  for (size_t at = size > 0 ? 1 : 0; at < size; at += chunk) {
    reader.feed(input.substr(at, chunk));
    while (auto item = reader.next()) {
      if (!item->valid) continue;
      const auto payload = ktsim::framePayload(item->bytes);
      if (!payload) __builtin_trap();  // the reader must only pass whole frames
      const std::string p(*payload);
      using namespace ktsim::detail;
      (void)gapMarkAnswer(state, p);
      (void)distanceAnswer(state, p);
      (void)addressAnswer(state, p);
      (void)cardAnswer(state, p);
      (void)cutPositionAnswer(state, p);
      (void)headCheckAnswer(state, p);
      (void)simpleAnswer(state, p.size() >= 8 ? std::string_view(p).substr(5, 3) : "BZS", p);
      int bad = 0;
      if (const auto c = parseConditions(p, &bad);
          c && c->widthDots <= 960 && c->lengthDots <= 64) {
        std::vector<std::vector<uint8_t>> lines;
        for (size_t i = 0; i + 4 <= p.size(); i += 4) {
          lines.emplace_back(p.begin() + static_cast<std::ptrdiff_t>(i),
                             p.begin() + static_cast<std::ptrdiff_t>(i + 4));
        }
        (void)renderLabel(lines, 4, c->widthDots, c->lengthDots);
      }
    }
  }
  if (reader.pending().size() > ktsim::kMaxPayload + ktsim::kFrameOverhead) __builtin_trap();
  return 0;
}
