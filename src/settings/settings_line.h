// The settings line itself, apart from the INI file: what the load makes of a stored
// value and what the store writes.
#pragma once

#include <string>
#include <string_view>

#include "core/slots.h"

namespace nypr {

// Loads `value` (as read from the INI file) for info->PrinterNoUB into `info`, the
// printer's parameter record and its slot's adjustment; the result and the error as
// ReadPrinterSettingsFnBL gives them.
bool loadSettingsLine(KtrInfo* info, std::string_view value);
// The 250-character line of info.PrinterNoUB ("" for an index outside the slots).
std::string formatSettingsLine(const KtrInfo& info);

}  // namespace nypr
