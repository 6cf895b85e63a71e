// The printer setup dialog, as its exports and the dialogs it opens use it.
#pragma once

#include <cstdint>

#include "nyprkt3600r/host_records.h"

namespace nypr {

inline constexpr char kSetupTemplate[] = "DIALOG_KT36R";

// Puts the slot's print position adjustment into the label (bytes 964/965, biased by
// 128) when the slot takes its adjustment from the host; a null label is left alone.
void WritePosAdjustToLabelFnV(uint8_t index, LabelFormatST* labelFormat);

}  // namespace nypr
