// Keeps the driver's start-up in a test program that links the driver's objects
// statically, so the program starts it (sockets, registration) as a loaded DLL would.
#include "platform/module_load.h"

[[maybe_unused]] static const bool* const g_keepModuleStart =
    &nypr::platform::kModuleLoadHooksInstalled;
