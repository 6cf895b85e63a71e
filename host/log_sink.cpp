// Where the driver's log lines go: a file named by the host's control (NYHOST_LOG), or
// standard error for "-". The driver writes CP932; the log is written in UTF-8 so that
// it reads in today's terminals and editors.
#include "log_sink.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "host_state.h"

namespace nyhost {

void writeLogLine(const char* tag, const char* format, va_list args) {
  std::string path;
  {
    std::lock_guard lock(state().mutex);
    path = state().logPath;
  }
  if (path.empty() || format == nullptr) return;
  char line[4096];
  std::vsnprintf(line, sizeof line, format, args);
  std::string text = std::string("[") + tag + "] " + toUtf8(line);
  if (text.back() != '\n') text += '\n';
  std::lock_guard lock(state().mutex);
  if (path == "-") {
    std::fwrite(text.data(), 1, text.size(), stderr);
    return;
  }
  if (FILE* f = std::fopen(path.c_str(), "ab")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

}  // namespace nyhost
