// The help viewers behind the dialogs' help buttons, and the name of the host program
// that decides which product's help file is meant.
//
// Contract:
// - hostProgramName(): the host program's file name without directory and extension
//   ("NyFmt" for ".../NyFmt.exe"); "" when it cannot be told.
// - showHtmlHelp(window, fileAndTopic): shows a topic of a compiled HTML help file, given as
//   one text "<help file>::<topic path>", for `window`. True when the request was handed
//   to a help engine. The engine is looked for on the first call only: when it cannot be
//   found or loaded, every later call returns false at once without looking again.
// - showContextHelp(window, file, context): shows context topic `context` of a WinHelp
//   file (HELP_CONTEXT). True when the request was handed to a viewer.
//
// Windows: the HTML Help engine found through its class registration (else "hhctrl.ocx"),
// entry point ordinal 14, and WinHelpA. POSIX: there is no viewer; each request is logged
// and recorded for tests (helpRequestsForTesting), and counts as handed over.
#pragma once

#include <cstdint>
#include <string>

#include "nyprkt3600r/platform_types.h"

namespace nypr::platform {

std::string hostProgramName();
bool showHtmlHelp(NyHwnd window, const std::string& fileAndTopic);
bool showContextHelp(NyHwnd window, const std::string& file, uint32_t context);

// ---- Test seams of the POSIX backend ---------------------------------------------------

struct HelpRequest {
  NyHwnd window = nullptr;
  std::string target;    // "file::topic" of HTML help, or the WinHelp file
  uint32_t context = 0;  // WinHelp context; 0 for HTML help
  bool html = false;
};

// Number of requests handed over so far in this process, and the last one.
int helpRequestCountForTesting();
HelpRequest lastHelpRequestForTesting();
// Pretends the host program has this name ("" goes back to the real one).
void setHostProgramNameForTesting(const std::string& name);

}  // namespace nypr::platform
