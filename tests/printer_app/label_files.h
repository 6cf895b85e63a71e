// Label pictures as the host tools' tests write and compare them: raster pages, PNG
// pictures, and printed labels compared dot for dot.
#pragma once

#include <cups/raster.h>

#include <functional>
#include <string>

#include "ktsim/simulator.h"

namespace nypr::test {

// Dots of `label` that differ from `black` over `width` x `height` (blank beyond it).
int wrongDots(const ktsim::PrintedLabel& label, int width, int height,
              const std::function<bool(int, int)>& black);
// A 1-bit page of `width` x `height` dots at `dpi`, black where `black` says, written by
// libcups in `mode` (PWG or CUPS raster), with `speed` in cupsInteger[0], `pages` times.
void writeRaster(const std::string& path, cups_mode_t mode, int dpi, int width, int height,
                 const std::function<bool(int, int)>& black, unsigned speed = 0, int pages = 1);
// A grey PNG at `path`, black where `black` says, else white.
void writePng(const std::string& path, int width, int height,
              const std::function<bool(int, int)>& black);

}  // namespace nypr::test
