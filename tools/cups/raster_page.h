// A page of CUPS raster turned into a label page: the picture as the driver's 1-bit
// bitmap and the print conditions from the page header, where the PPD's options put them.
//
// Page header fields used (set by the PPD's option code):
//   cupsInteger[0]  print speed, mm/s (0: the printer's usual speed)
//   cupsInteger[1]  darkness 1..99 (0: the highest the printer allows)
//   cupsInteger[2]  1: peel each label (auto-peel)
//   cupsInteger[3]  gap between labels, 0.1 mm (0: 3 mm)
//   cupsMediaType   1: thermal transfer (ribbon), 0: direct thermal
//   cupsCutMedia    CUPS_CUT_PAGE: cut every label; CUPS_CUT_JOB (or FILE, SET): cut once
//                   after the job; CUPS_CUT_NONE: no cut
#pragma once

#include <cups/raster.h>

#include <string>

#include "label_page.h"

namespace nypr::cups {

// Reads the pixels of the page whose header is `header` from `raster`. 1-bit and 8-bit
// black (K) or white (W) pages at 300 dpi are taken; anything else, or a page wider or
// longer than the printer's labels, is refused with `error`.
bool pageFromRaster(const cups_page_header2_t& header, cups_raster_t* raster, int copies,
                    LabelPage& page, std::string& error);

}  // namespace nypr::cups
