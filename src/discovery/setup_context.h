// The context the setup dialog hands to every dialog it opens (and they to theirs).
#pragma once

#include <cstdint>

#include "nyprkt3600r/host_records.h"
#include "nyprkt3600r/platform_types.h"

namespace nypr {

struct SetupCtxST {
  uint8_t PrinterIdxUB;    // 0-based printer slot
  NyHwnd hWndOwner;        // the window the dialogs centre over
  PrintJobST* lpPrintJob;  // the host's print job of the label being set up
};

}  // namespace nypr
