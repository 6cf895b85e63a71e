#pragma once

#include "nyprkt3600r/platform_types.h"

namespace nypr {

// The module handle given to the host at start-up (resources are reached through it).
NyHmodule moduleHandle();

// Model name under which the driver registers with the host.
inline constexpr const char* kModelName = "KT3600R";

// What process attach does: log, start the socket library, register with the host,
// create the locks. False when the socket library did not start (the load fails).
// The platform's load hook calls it once per load.
bool moduleAttach();
// What process detach does: stop the socket library.
void moduleDetach();

}  // namespace nypr
