// The pages of a CUPS raster stream turned into label pages: the picture as the driver's
// 1-bit bitmap and the print conditions from the page header, where the PPD's options put
// them.
//
// Page header fields used (set by the PPD's option code):
//   cupsInteger[0]  print speed, mm/s (0: the printer's usual speed)
//   cupsInteger[1]  darkness 1..99 (0: the highest the printer allows)
//   cupsInteger[2]  1: peel each label (auto-peel)
//   cupsInteger[3]  gap between labels, 0.1 mm (0: 3 mm)
//   cupsMediaType   1: thermal transfer (ribbon), 0: direct thermal
//   CutMedia        CUPS_CUT_PAGE: cut every label; CUPS_CUT_JOB (or FILE, SET): cut once
//                   after the job; CUPS_CUT_NONE: no cut
//
// The stream is read here rather than by libcups, which sizes its buffers from the header
// before anyone can check it and cannot tell a clean end of the stream from a cut one.
// Every header word is read as a plain number and checked before anything is allocated;
// a page needs at most one line of the widest label besides the label itself.
#pragma once

#include <cstdio>
#include <string>

#include "label_page.h"

namespace nypr::cups {

class RasterReader {
 public:
  explicit RasterReader(std::FILE* in) : in_(in) {}

  // Reads the stream's sync word: false (with `error`) when it is not CUPS raster.
  bool start(std::string& error);

  // The next page with `copies`. End only at the end of the stream right after a whole
  // page; Bad (with `error`) for a page the printer cannot take, a header outside the
  // known values, or a stream that ends or fails inside a header or a page.
  ReadResult next(int copies, LabelPage& page, std::string& error);

 private:
  bool readPixels(unsigned bytesPerLine, unsigned height, unsigned char* line, LabelPage& page,
                  bool whiteSpace, unsigned bitsPerPixel, std::string& error);
  size_t read(void* to, size_t size);

  std::FILE* in_;
  bool swapped_ = false;
  bool compressed_ = false;
  size_t headerSize_ = 0;
};

}  // namespace nypr::cups
