// The stand-in host's log sink.
#pragma once

#include <cstdarg>

namespace nyhost {

// Formats one log line of the driver (CP932) and appends it, tagged and in UTF-8, to the
// log file, or to standard error when the log path is "-". Nothing without a log path.
void writeLogLine(const char* tag, const char* format, va_list args);

}  // namespace nyhost
