// The ktprint commands. Each returns the process exit code: 0 done, 1 the printer or the
// driver failed (its message is on standard error), 2 bad usage.
#pragma once

#include <string>

#include "host_session.h"

namespace ktprint {

int runConfig(const GlobalOptions& options, const std::string& address);
int runStatus(const GlobalOptions& options, bool json);

}  // namespace ktprint
