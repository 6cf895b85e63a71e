// When the module's start-up and shut-down run.
//
// Contract: the loader calls nypr::moduleAttach() once when the module is loaded into the
// host's process, before any export is called, and nypr::moduleDetach() once when it is
// unloaded (process attach and detach). A failing attach fails the load where the OS
// allows it. POSIX: shared-library constructor and destructor; Windows: DllMain.
#pragma once

#include "nyprkt3600r/platform_types.h"

namespace nypr::platform {

// The module handle the host is given: the DLL's HINSTANCE on Windows; elsewhere
// `portable`, the driver's own handle (its string table).
NyHmodule moduleInstance(const void* portable);

// Defined next to the hooks. The driver refers to it so that a static link of the
// driver's objects (the unit tests) keeps the hooks too.
extern const bool kModuleLoadHooksInstalled;

}  // namespace nypr::platform
