// What the driver does to the host's print-condition page while this printer is chosen.
#pragma once

#include <cstdint>

#include "nyprkt3600r/host_records.h"
#include "nyprkt3600r/platform_types.h"

namespace nypr {

// Results of the callback towards the host.
inline constexpr int32_t kCondNotHandled = 0;  // also: confirmation accepted
inline constexpr int32_t kCondHandled = 1;     // on confirmation: stay in the dialog
inline constexpr int32_t kCondOutOfRange = 2;  // stay, the focus is on the wrong value

// Handles one message of the host's print-condition dialog `dialog`.
int32_t PrintCondCallbackFnI(NyHwnd dialog, uint32_t message, uintptr_t wParam, CondDlgCtxST* ctx);

}  // namespace nypr
