#include "raster_page.h"

#include <vector>

namespace nypr::cups {
namespace {

constexpr int kDefaultGapTenths = 30;
constexpr unsigned kResolution = 300;

bool isBlack(const uint8_t* line, unsigned x, unsigned bitsPerPixel, bool whiteSpace) {
  bool set;
  if (bitsPerPixel == 1) {
    set = (line[x >> 3] & (0x80u >> (x & 7))) != 0;
  } else {
    set = line[x] >= 128;
  }
  return whiteSpace ? !set : set;
}

CutMode cutModeOf(cups_cut_t cut) {
  switch (cut) {
    case CUPS_CUT_NONE:
      return CutMode::None;
    case CUPS_CUT_PAGE:
      return CutMode::EveryLabel;
    default:
      return CutMode::EndOfJob;
  }
}

}  // namespace

bool pageFromRaster(const cups_page_header2_t& h, cups_raster_t* raster, int copies,
                    LabelPage& page, std::string& error) {
  const bool whiteSpace = h.cupsColorSpace == CUPS_CSPACE_W || h.cupsColorSpace == CUPS_CSPACE_SW;
  if (!whiteSpace && h.cupsColorSpace != CUPS_CSPACE_K) {
    error = "the raster is not black and white";
    return false;
  }
  if ((h.cupsBitsPerPixel != 1 && h.cupsBitsPerPixel != 8) ||
      h.cupsBitsPerColor != h.cupsBitsPerPixel) {
    error = "the raster has " + std::to_string(h.cupsBitsPerPixel) + " bits per pixel";
    return false;
  }
  if (h.HWResolution[0] != kResolution || h.HWResolution[1] != kResolution) {
    error = "the raster is not 300 dpi";
    return false;
  }
  if (h.cupsWidth == 0 || h.cupsHeight == 0 ||
      h.cupsWidth > static_cast<unsigned>(LabelPage::kMaxWidthDots) ||
      h.cupsHeight > static_cast<unsigned>(LabelPage::kMaxHeightDots)) {
    error = "the label is " + std::to_string(h.cupsWidth) + " x " + std::to_string(h.cupsHeight) +
            " dots; the printer takes up to " + std::to_string(LabelPage::kMaxWidthDots) + " x " +
            std::to_string(LabelPage::kMaxHeightDots);
    return false;
  }
  const unsigned needed = (h.cupsWidth * h.cupsBitsPerPixel + 7) / 8;
  if (h.cupsBytesPerLine < needed) {
    error = "the raster lines are shorter than the page";
    return false;
  }
  page = LabelPage{};
  page.widthDots = static_cast<int>(h.cupsWidth);
  page.heightDots = static_cast<int>(h.cupsHeight);
  page.copies = copies;
  const unsigned speed = h.cupsInteger[0];
  page.speed = speed >= 70 && speed <= 150 ? static_cast<int>(speed) : 0;
  page.darkness = h.cupsInteger[1] <= 99 ? static_cast<int>(h.cupsInteger[1]) : 0;
  page.peel = h.cupsInteger[2] != 0;
  page.gapTenths = h.cupsInteger[3] > 0 && h.cupsInteger[3] <= 999
                       ? static_cast<int>(h.cupsInteger[3])
                       : kDefaultGapTenths;
  page.thermalTransfer = h.cupsMediaType == 1;
  page.cut = cutModeOf(h.CutMedia);
  const int stride = page.stride();
  page.bits.assign(static_cast<size_t>(stride) * h.cupsHeight, 0xFF);
  std::vector<uint8_t> line(h.cupsBytesPerLine);
  for (unsigned y = 0; y < h.cupsHeight; ++y) {
    if (cupsRasterReadPixels(raster, line.data(), h.cupsBytesPerLine) != h.cupsBytesPerLine) {
      error = "the raster page is cut short";
      return false;
    }
    uint8_t* row = page.bits.data() + static_cast<size_t>(y) * static_cast<size_t>(stride);
    for (unsigned x = 0; x < h.cupsWidth; ++x) {
      if (isBlack(line.data(), x, h.cupsBitsPerPixel, whiteSpace)) {
        row[x >> 3] &= static_cast<uint8_t>(~(0x80u >> (x & 7)));
      }
    }
  }
  return true;
}

}  // namespace nypr::cups
