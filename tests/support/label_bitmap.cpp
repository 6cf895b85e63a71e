#include "label_bitmap.h"

#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

namespace nypr::test {

#ifdef _WIN32
struct LabelBitmap::Handle {
  explicit Handle(const LabelBitmap& b)
      // A monochrome device bitmap: bit 0 black, bit 1 white, rows padded to 2 bytes.
      : bitmap(::CreateBitmap(b.width_, b.height_, 1, 1, b.bits_.data())) {}
  ~Handle() { ::DeleteObject(bitmap); }
  NyHbitmap handle() { return bitmap; }
  HBITMAP bitmap;
};
#else
struct LabelBitmap::Handle {
  // The rows are copied, so an older handle keeps showing what it showed.
  explicit Handle(const LabelBitmap& b) : rows(b.bits_) {
    bitmap.width = b.width_;
    bitmap.height = b.height_;
    bitmap.bitsPerPixel = 1;
    bitmap.stride = b.stride_;
    bitmap.bits = rows.data();
  }
  NyHbitmap handle() { return &bitmap; }
  std::vector<uint8_t> rows;
  NyBitmap bitmap{};
};
#endif

LabelBitmap::LabelBitmap(int width, int height)
    : width_(width),
      height_(height),
      stride_((width + 15) / 16 * 2),
      bits_(static_cast<size_t>(stride_) * static_cast<size_t>(height), 0xFF) {}

LabelBitmap::~LabelBitmap() = default;

void LabelBitmap::setBlack(int x, int y) {
  bits_[static_cast<size_t>(y * stride_ + x / 8)] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
  changed_ = true;
}

bool LabelBitmap::black(int x, int y) const {
  return ((bits_[static_cast<size_t>(y * stride_ + x / 8)] >> (7 - x % 8)) & 1) == 0;
}

void LabelBitmap::fillRandom(uint32_t seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (rng() & 1) setBlack(x, y);
    }
  }
}

NyHbitmap LabelBitmap::handle() {
  if (changed_ || handles_.empty()) {
    handles_.push_back(std::make_unique<Handle>(*this));
    changed_ = false;
  }
  return handles_.back()->handle();
}

NyHbitmap brokenBitmapHandle() {
#ifdef _WIN32
  // A GDI handle value that no bitmap has.
  return reinterpret_cast<NyHbitmap>(static_cast<uintptr_t>(0x7FF0));
#else
  static NyBitmap empty{};
  return &empty;
#endif
}

}  // namespace nypr::test
