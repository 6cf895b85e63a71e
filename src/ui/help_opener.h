// Help of the printer's dialogs: the host product's HTML help topics and the sensor
// adjustment procedure in the WinHelp file named in the host's INI file.
#pragma once

#include <cstdint>
#include <string>

#include "nyprkt3600r/platform_types.h"

namespace nypr {

// Topics of one dialog in the help of each host product: the form designer ("NyFmt",
// help file NYFMT.chm), the batch printer ("NyBpr", NYBPR.chm) and any other host
// (NYPRT.chm). Topics start with "::".
struct HostHelpTopics {
  const char* fmtTopic;
  const char* bprTopic;
  const char* prtTopic;
};

// "<host program directory>/<help file><topic>" for the running host program.
std::string HostHelpTargetFnS(const HostHelpTopics& topics);

// The WinHelp file of the running host from section "Help Path" (key "FmtHelp",
// "BprHelp" or "PrtHelp"), with the host program directory in front when the value names
// no directory; "" when none is configured.
std::string HelpPathFileFnS();
// Opens context topic `context` of that file for `dialog`; false (nothing shown) when
// no file is configured or no viewer takes it.
bool OpenContextHelpFnBL(NyHwnd dialog, uint32_t context);

}  // namespace nypr
