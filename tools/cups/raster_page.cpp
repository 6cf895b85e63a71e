#include "raster_page.h"

#include <cups/raster.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace nypr::cups {
namespace {

constexpr int kDefaultGapTenths = 30;
constexpr uint32_t kResolution = 300;
// A version 1 stream carries the short header; versions 2 and 3 the whole structure.
constexpr size_t kShortHeader = sizeof(cups_page_header_t);
constexpr size_t kLongHeader = sizeof(cups_page_header2_t);
static_assert(kShortHeader == 420 && kLongHeader == 1796, "the raster page header layout");

// The header as stored: 32-bit words at the offsets of libcups's structure, in the byte
// order the sync word announced. Enumerations are read as numbers, never as C enums.
class Header {
 public:
  Header(const unsigned char* bytes, bool swapped) : bytes_(bytes), swapped_(swapped) {}
  uint32_t word(size_t offset) const {
    uint32_t v;
    std::memcpy(&v, bytes_ + offset, sizeof v);
    return swapped_ ? __builtin_bswap32(v) : v;
  }
  // A PWG raster page: the same layout, but its integer words are PWG's own (page count,
  // feed transforms, image box), not this driver's label options.
  bool isPwg() const { return std::memcmp(bytes_, "PwgRaster", sizeof "PwgRaster") == 0; }

 private:
  const unsigned char* bytes_;
  bool swapped_;
};

#define NYPR_AT(field) offsetof(cups_page_header2_t, field)
static_assert(NYPR_AT(MediaClass) == 0, "a PWG page names itself in the header's first bytes");

bool isBlack(const unsigned char* line, unsigned x, unsigned bitsPerPixel, bool whiteSpace) {
  bool set;
  if (bitsPerPixel == 1) {
    set = (line[x >> 3] & (0x80u >> (x & 7))) != 0;
  } else {
    set = line[x] >= 128;
  }
  return whiteSpace ? !set : set;
}

// CutMedia as a number; false for a value outside cups_cut_t.
bool cutModeOf(uint32_t cut, CutMode& mode) {
  switch (cut) {
    case CUPS_CUT_NONE:
      mode = CutMode::None;
      return true;
    case CUPS_CUT_PAGE:
      mode = CutMode::EveryLabel;
      return true;
    case CUPS_CUT_FILE:
    case CUPS_CUT_JOB:
    case CUPS_CUT_SET:
      mode = CutMode::EndOfJob;
      return true;
    default:
      return false;
  }
}

}  // namespace

size_t RasterReader::read(void* to, size_t size) {
  return std::fread(to, 1, size, in_);
}

bool RasterReader::start(std::string& error) {
  uint32_t sync = 0;
  if (read(&sync, sizeof sync) != sizeof sync) {
    error = std::ferror(in_) ? "the raster stream cannot be read" : "the raster stream is empty";
    return false;
  }
  switch (sync) {
    case CUPS_RASTER_SYNCv1:
    case CUPS_RASTER_REVSYNCv1:
      headerSize_ = kShortHeader;
      break;
    case CUPS_RASTER_SYNCv2:
    case CUPS_RASTER_REVSYNCv2:
      compressed_ = true;
      headerSize_ = kLongHeader;
      break;
    case CUPS_RASTER_SYNC:
    case CUPS_RASTER_REVSYNC:
      headerSize_ = kLongHeader;
      break;
    default:
      error = "not a CUPS raster stream";
      return false;
  }
  swapped_ =
      sync == CUPS_RASTER_REVSYNCv1 || sync == CUPS_RASTER_REVSYNCv2 || sync == CUPS_RASTER_REVSYNC;
  return true;
}

ReadResult RasterReader::next(int copies, LabelPage& page, std::string& error) {
  unsigned char bytes[kLongHeader] = {};
  const size_t got = read(bytes, headerSize_);
  if (got == 0 && !std::ferror(in_)) return ReadResult::End;
  if (got != headerSize_) {
    error = std::ferror(in_) ? "the raster stream cannot be read"
                             : "the raster stream ends inside the page header";
    return ReadResult::Bad;
  }
  const Header h(bytes, swapped_);
  const uint32_t colorSpace = h.word(NYPR_AT(cupsColorSpace));
  const bool whiteSpace = colorSpace == CUPS_CSPACE_W || colorSpace == CUPS_CSPACE_SW;
  if (!whiteSpace && colorSpace != CUPS_CSPACE_K) {
    error = "the raster is not black and white (colour space " + std::to_string(colorSpace) + ")";
    return ReadResult::Bad;
  }
  const uint32_t bitsPerPixel = h.word(NYPR_AT(cupsBitsPerPixel));
  if ((bitsPerPixel != 1 && bitsPerPixel != 8) ||
      h.word(NYPR_AT(cupsBitsPerColor)) != bitsPerPixel) {
    error = "the raster has " + std::to_string(bitsPerPixel) + " bits per pixel";
    return ReadResult::Bad;
  }
  // One colour: chunked, banded and planar lines are the same bytes.
  const uint32_t order = h.word(NYPR_AT(cupsColorOrder));
  if (order > CUPS_ORDER_PLANAR) {
    error = "unknown colour order " + std::to_string(order);
    return ReadResult::Bad;
  }
  if (h.word(NYPR_AT(HWResolution)) != kResolution ||
      h.word(NYPR_AT(HWResolution) + 4) != kResolution) {
    error = "the raster is not 300 dpi";
    return ReadResult::Bad;
  }
  const uint32_t width = h.word(NYPR_AT(cupsWidth));
  const uint32_t height = h.word(NYPR_AT(cupsHeight));
  if (width == 0 || height == 0 || width > static_cast<unsigned>(LabelPage::kMaxWidthDots) ||
      height > static_cast<unsigned>(LabelPage::kMaxHeightDots)) {
    error = "the label is " + std::to_string(width) + " x " + std::to_string(height) +
            " dots; the printer takes up to " + std::to_string(LabelPage::kMaxWidthDots) + " x " +
            std::to_string(LabelPage::kMaxHeightDots);
    return ReadResult::Bad;
  }
  const uint32_t bytesPerLine = h.word(NYPR_AT(cupsBytesPerLine));
  const uint32_t needed = (width * bitsPerPixel + 7) / 8;
  if (bytesPerLine != needed) {
    error = "the raster lines are " + std::to_string(bytesPerLine) + " bytes where " +
            std::to_string(width) + " dots take " + std::to_string(needed);
    return ReadResult::Bad;
  }
  const uint32_t cut = h.word(NYPR_AT(CutMedia));
  CutMode cutMode = CutMode::None;
  if (!cutModeOf(cut, cutMode)) {
    error = "unknown cut mode " + std::to_string(cut);
    return ReadResult::Bad;
  }
  page = LabelPage{};
  page.widthDots = static_cast<int>(width);
  page.heightDots = static_cast<int>(height);
  page.copies = copies;
  page.gapTenths = kDefaultGapTenths;
  if (!h.isPwg()) {
    const uint32_t speed = h.word(NYPR_AT(cupsInteger));
    const uint32_t darkness = h.word(NYPR_AT(cupsInteger) + 4);
    const uint32_t gap = h.word(NYPR_AT(cupsInteger) + 12);
    page.speed = speed >= 70 && speed <= 150 ? static_cast<int>(speed) : 0;
    page.darkness = darkness <= 99 ? static_cast<int>(darkness) : 0;
    page.peel = h.word(NYPR_AT(cupsInteger) + 8) != 0;
    if (gap > 0 && gap <= 999) page.gapTenths = static_cast<int>(gap);
  }
  page.thermalTransfer = h.word(NYPR_AT(cupsMediaType)) == 1;
  page.cut = cutMode;
  page.bits.assign(static_cast<size_t>(page.stride()) * height, 0xFF);
  unsigned char line[LabelPage::kMaxWidthDots] = {};
  if (!readPixels(bytesPerLine, height, line, page, whiteSpace, bitsPerPixel, error)) {
    return ReadResult::Bad;
  }
  return ReadResult::Page;
}

bool RasterReader::readPixels(unsigned bytesPerLine, unsigned height, unsigned char* line,
                              LabelPage& page, bool whiteSpace, unsigned bitsPerPixel,
                              std::string& error) {
  const size_t stride = static_cast<size_t>(page.stride());
  auto cutShort = [&] {
    error = std::ferror(in_) ? "the raster stream cannot be read" : "the raster page is cut short";
    return false;
  };
  for (unsigned y = 0; y < height;) {
    // A compressed line comes with its repeat count and in runs of one byte (the pixel
    // size at 1 and 8 bits): a literal run of 257 - n bytes or one byte n + 1 times.
    unsigned times = 1;
    if (compressed_) {
      const int repeat = std::fgetc(in_);
      if (repeat == EOF) return cutShort();
      times = static_cast<unsigned>(repeat) + 1;
      for (unsigned at = 0; at < bytesPerLine;) {
        const int code = std::fgetc(in_);
        if (code == EOF) return cutShort();
        const unsigned left = bytesPerLine - at;
        if (code & 0x80) {
          const unsigned n = std::min(257u - static_cast<unsigned>(code), left);
          if (read(line + at, n) != n) return cutShort();
          at += n;
        } else {
          const unsigned n = std::min(static_cast<unsigned>(code) + 1, left);
          const int pixel = std::fgetc(in_);
          if (pixel == EOF) return cutShort();
          std::memset(line + at, pixel, n);
          at += n;
        }
      }
    } else if (read(line, bytesPerLine) != bytesPerLine) {
      return cutShort();
    }
    for (; times > 0 && y < height; --times, ++y) {
      unsigned char* row = page.bits.data() + y * stride;
      for (unsigned x = 0; x < static_cast<unsigned>(page.widthDots); ++x) {
        if (isBlack(line, x, bitsPerPixel, whiteSpace)) {
          row[x >> 3] &= static_cast<unsigned char>(~(0x80u >> (x & 7)));
        }
      }
    }
  }
  return true;
}

#undef NYPR_AT

}  // namespace nypr::cups
