// Head protection and bitmap comparison on a full-size label: 80 mm x 500 mm at
// 12 dots/mm (960 x 6000 dots, 1 bit), with text-like strokes, a barcode and a frame.
// Each figure is read against BM_MemcpyLabel, a plain copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "head_protect_reference.h"
#include "image/bitmap_compare.h"
#include "image/head_protect.h"
#include "nyprkt3600r/platform_types.h"

namespace {

constexpr int32_t kWidth = 960;
constexpr int32_t kHeight = 6000;
constexpr int32_t kStride = kWidth / 8;  // already even: no row padding
constexpr size_t kBytes = static_cast<size_t>(kStride) * kHeight;

// 0 bits are printed dots.
class Label {
 public:
  Label() : bits_(kBytes, 0xFF) {
    std::mt19937 rng(3600);
    // Frame, 6 dots wide.
    fill(0, 0, kWidth, 6);
    fill(0, kHeight - 6, kWidth, 6);
    fill(0, 0, 6, kHeight);
    fill(kWidth - 6, 0, 6, kHeight);
    // Text: 40 lines of 28 glyphs, each glyph a few 4-dot strokes in a 30 x 48 cell.
    for (int line = 0; line < 40; ++line) {
      const int top = 120 + line * 100;
      for (int g = 0; g < 28; ++g) {
        const int left = 40 + g * 32;
        if (rng() % 7 == 0) continue;  // a space
        const int strokes = 2 + static_cast<int>(rng() % 2);
        for (int s = 0; s < strokes; ++s) {
          if (rng() % 2 == 0) {
            fill(left + static_cast<int>(rng() % 24), top, 4, 48);  // vertical
          } else {
            fill(left, top + static_cast<int>(rng() % 44), 26, 4);  // horizontal
          }
        }
      }
    }
    // Barcode: bars 3 to 12 dots wide, 500 rows high.
    for (int x = 80; x < 880;) {
      const int bar = 3 + static_cast<int>(rng() % 10);
      const int space = 3 + static_cast<int>(rng() % 10);
      fill(x, 4300, std::min(bar, 880 - x), 500);
      x += bar + space;
    }
    bitmap_ = {kWidth, kHeight, 1, kStride, bits_.data(), nullptr, 0};
  }
  Label(const Label& other) : bits_(other.bits_), bitmap_(other.bitmap_) {
    bitmap_.bits = bits_.data();
  }

  double blackShare() const {
    size_t black = 0;
    for (uint8_t b : bits_) black += 8 - static_cast<size_t>(__builtin_popcount(b));
    return static_cast<double>(black) / (double(kWidth) * kHeight);
  }
  void fill(int x, int y, int w, int h) {
    for (int r = y; r < y + h && r < kHeight; ++r)
      for (int c = x; c < x + w && c < kWidth; ++c) clear(c, r);
  }
  void clear(int x, int y) {
    bits_[static_cast<size_t>(y) * kStride + x / 8] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
  }
  void flip(int x, int y) {
    bits_[static_cast<size_t>(y) * kStride + x / 8] ^= static_cast<uint8_t>(0x80 >> (x % 8));
  }
  uint8_t* bits() { return bits_.data(); }
  NyHbitmap handle() { return &bitmap_; }

 private:
  std::vector<uint8_t> bits_;
  NyBitmap bitmap_{};
};

const Label& label() {
  static const Label l;
  return l;
}

void BM_MemcpyLabel(benchmark::State& state) {
  std::vector<uint8_t> work(kBytes);
  Label source = label();
  for (auto _ : state) {
    std::memcpy(work.data(), source.bits(), kBytes);
    benchmark::DoNotOptimize(work.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_MemcpyLabel)->Unit(benchmark::kMicrosecond);

// Each iteration restores the label (one copy) and filters it: subtract BM_MemcpyLabel.
void BM_HeadProtect(benchmark::State& state) {
  Label source = label();
  std::vector<uint8_t> work(kBytes);
  state.counters["black_%"] = 100.0 * source.blackShare();
  for (auto _ : state) {
    std::memcpy(work.data(), source.bits(), kBytes);
    nypr::protectPrintHead(work.data(), kHeight, kStride, {}, 12345);
    benchmark::DoNotOptimize(work.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_HeadProtect)->Unit(benchmark::kMicrosecond);

void BM_HeadProtectPerDot(benchmark::State& state) {
  Label source = label();
  std::vector<uint8_t> work(kBytes);
  for (auto _ : state) {
    std::memcpy(work.data(), source.bits(), kBytes);
    nypr::referenceProtect(work.data(), kHeight, kStride, {}, 12345);
    benchmark::DoNotOptimize(work.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}
BENCHMARK(BM_HeadProtectPerDot)->Unit(benchmark::kMicrosecond);

void runCompare(benchmark::State& state, Label& changed) {
  Label first = label();
  int16_t result = 0;
  for (auto _ : state) {
    DiffRectST* rects = nullptr;
    result = nypr::CompareBitmapFnSW(first.handle(), changed.handle(), &rects);
    std::free(rects);
    benchmark::DoNotOptimize(result);
  }
  state.counters["rects"] = result;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}

void BM_CompareIdentical(benchmark::State& state) {
  Label second = label();
  runCompare(state, second);
}
BENCHMARK(BM_CompareIdentical)->Unit(benchmark::kMicrosecond);

// One dot changed in 1 % of the 120 x 750 blocks, spread at random.
void BM_CompareOnePercentBlocks(benchmark::State& state) {
  Label second = label();
  std::mt19937 rng(1);
  std::vector<uint8_t> picked(120 * 750, 0);
  for (int n = 0; n < 900;) {
    const auto block = rng() % picked.size();
    if (picked[block] != 0) continue;
    picked[block] = 1;
    ++n;
    second.flip(static_cast<int>(block % 120) * 8 + static_cast<int>(rng() % 8),
                static_cast<int>(block / 120) * 8 + static_cast<int>(rng() % 8));
  }
  runCompare(state, second);
}
BENCHMARK(BM_CompareOnePercentBlocks)->Unit(benchmark::kMicrosecond);

// Every block changed: the comparison gives up past 10000 blocks (result -1).
void BM_CompareAllChanged(benchmark::State& state) {
  Label second = label();
  for (size_t i = 0; i < kBytes; ++i) second.bits()[i] = static_cast<uint8_t>(~second.bits()[i]);
  runCompare(state, second);
}
BENCHMARK(BM_CompareAllChanged)->Unit(benchmark::kMicrosecond);

// The most the comparison accepts: 10000 isolated blocks, one rectangle each to merge.
void BM_CompareTenThousandBlocks(benchmark::State& state) {
  Label second = label();
  int n = 0;
  for (int by = 0; by < 750 && n < 10000; by += 2)
    for (int bx = 0; bx < 120 && n < 10000; bx += 3, ++n) second.flip(bx * 8, by * 8);
  runCompare(state, second);
}
BENCHMARK(BM_CompareTenThousandBlocks)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
