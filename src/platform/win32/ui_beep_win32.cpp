// Windows beeps: MessageBeep with the icon sounds; also counted, so tests see that an
// error was signalled.
#include <windows.h>

#include <atomic>

#include "platform/ui.h"

namespace nypr::platform {
namespace {
std::atomic<int> g_beepCount{0};
}  // namespace

void messageBeep(BeepKind kind) {
  g_beepCount.fetch_add(1, std::memory_order_relaxed);
  MessageBeep(kind == BeepKind::Error     ? MB_ICONHAND
              : kind == BeepKind::Warning ? MB_ICONEXCLAMATION
                                          : MB_OK);
}

int beepCountForTesting() {
  return g_beepCount.load(std::memory_order_relaxed);
}

}  // namespace nypr::platform
