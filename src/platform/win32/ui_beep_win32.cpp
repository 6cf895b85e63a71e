// Beeps through the system sounds; the count serves the same checks as on POSIX.
#include <windows.h>

#include <atomic>

#include "platform/ui.h"

namespace nypr::platform {
namespace {
std::atomic<int> g_beepCount{0};
}  // namespace

void messageBeep(BeepKind kind) {
  g_beepCount.fetch_add(1, std::memory_order_relaxed);
  switch (kind) {
    case BeepKind::Ok:
      MessageBeep(MB_OK);
      break;
    case BeepKind::Error:
      MessageBeep(MB_ICONHAND);
      break;
    case BeepKind::Warning:
      MessageBeep(MB_ICONEXCLAMATION);
      break;
  }
}

int beepCountForTesting() {
  return g_beepCount.load(std::memory_order_relaxed);
}

}  // namespace nypr::platform
