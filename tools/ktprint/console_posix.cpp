// The terminal on POSIX: the locale's encoding (the host library converts to it),
// SIGINT for Ctrl-C.
#include <unistd.h>

#include <csignal>

#include "console.h"

namespace ktprint {
namespace {

void (*g_onInterrupt)() = nullptr;

void onSigint(int) {
  if (g_onInterrupt != nullptr) g_onInterrupt();
}

}  // namespace

void setUpConsole() {}

bool standardOutputIsTerminal() {
  return ::isatty(1) != 0;
}

void catchInterrupts(void (*onInterrupt)()) {
  g_onInterrupt = onInterrupt;
  std::signal(SIGINT, onSigint);
}

void releaseInterrupts() {
  std::signal(SIGINT, SIG_DFL);
  g_onInterrupt = nullptr;
}

std::string defaultIniPath() {
  return "";
}

}  // namespace ktprint
