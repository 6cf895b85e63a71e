// Headless beeps: a POSIX process has no desktop, so beeps are only counted (tests check
// that an error was signalled). The focus lives in the dialog runtime (ui_runtime_posix).
#include <atomic>

#include "platform/ui.h"

namespace nypr::platform {
namespace {
std::atomic<int> g_beepCount{0};
}  // namespace

void messageBeep(BeepKind /*kind*/) {
  g_beepCount.fetch_add(1, std::memory_order_relaxed);
}

// Number of beeps sounded since the process started.
int beepCountForTesting() {
  return g_beepCount.load(std::memory_order_relaxed);
}

}  // namespace nypr::platform
