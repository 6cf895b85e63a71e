// The context the setup dialog hands to every dialog it opens (and they to theirs).
#pragma once

#include <cstdint>

#include "core/slots.h"
#include "nyprkt3600r/host_records.h"
#include "nyprkt3600r/platform_types.h"

namespace nypr {

struct SetupCtxST {
  uint8_t PrinterIdxUB;    // 0-based printer slot
  NyHwnd hWndOwner;        // the window the dialogs centre over
  PrintJobST* lpPrintJob;  // the host's print job of the label being set up
};

// The slot a dialog works on: its context's printer, or the first printer when the
// dialog has no context or the context names no slot.
inline uint8_t contextSlotIndex(const SetupCtxST* context) {
  uint8_t index = context != nullptr ? context->PrinterIdxUB : 0;
  return isValidSlotIndex(index) ? index : 0;
}

}  // namespace nypr
