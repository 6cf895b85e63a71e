// The printer setup dialog, as its exports and the dialogs it opens use it.
#pragma once

#include <cstdint>

#include "nyprkt3600r/host_records.h"

namespace nypr {

inline constexpr char kSetupTemplate[] = "DIALOG_KT36R";

}  // namespace nypr
