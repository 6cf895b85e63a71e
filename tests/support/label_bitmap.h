// A 1-bit label bitmap as the host renders it (0 = black), rows top-down and padded to an
// even byte count as GDI keeps a device bitmap, handed to the driver as the host's bitmap
// handle: a NyBitmap record on POSIX, a GDI bitmap made from the same rows on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::test {

class LabelBitmap {
 public:
  LabelBitmap(int width, int height);
  ~LabelBitmap();
  LabelBitmap(const LabelBitmap&) = delete;
  LabelBitmap& operator=(const LabelBitmap&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  void setBlack(int x, int y);
  bool black(int x, int y) const;
  // Random dots, about half of them black.
  void fillRandom(uint32_t seed);
  // The bitmap as the host hands it over. A handle stays valid while this object lives;
  // a change after it was taken shows in the next handle().
  NyHbitmap handle();

 private:
  int width_;
  int height_;
  int stride_;
  std::vector<uint8_t> bits_;
  struct Handle;                                  // a GDI bitmap, or a record with its rows
  std::vector<std::unique_ptr<Handle>> handles_;  // every handle given out
  bool changed_ = true;                           // the rows differ from the newest handle's
};

// A handle that names no usable bitmap, as a broken host would pass.
NyHbitmap brokenBitmapHandle();

}  // namespace nypr::test
