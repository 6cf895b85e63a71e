#pragma once

namespace nypr {

// Model name under which the driver registers with the host.
inline constexpr const char* kModelName = "KT3600R";

// What process attach does: log, register with the host, create the locks.
bool moduleAttach();
// What process detach does.
void moduleDetach();

}  // namespace nypr
