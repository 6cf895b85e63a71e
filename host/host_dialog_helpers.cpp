// The host library's dialog helpers, working on the driver's windows.
//
// On POSIX a driver window handle points to an NyWindowHeader whose table lets the host
// read and change the window (nyprkt3600r/window_ops.h). Handles that do not carry the
// header's magic, such as the host's own owner windows, are never written through; an
// owner is only used after a driver window's table has recognised it.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/host/host_api.h"
#include "nyprkt3600r/window_ops.h"

namespace {

// The driver's window table, once a driver window has shown it.
std::atomic<const NyWindowOps*> g_knownOps{nullptr};

// A handle the driver passes (its dialog, or the owner of a wait notice). Once one driver
// window has shown the table, every later handle is only checked through the table's
// isWindow and never read, so a host window passed in its place is harmless.
const NyWindowOps* opsOf(NyHwnd window) {
  if (window == nullptr) return nullptr;
  if (const NyWindowOps* known = g_knownOps.load(); known != nullptr) {
    return known->isWindow(window) != 0 ? known : nullptr;
  }
  const auto* header = reinterpret_cast<const NyWindowHeader*>(window);
  if (header->magic != NY_WINDOW_MAGIC || header->ops == nullptr) return nullptr;
  const NyWindowOps* ops = header->ops;
  if (ops->size < sizeof(NyWindowOps) || ops->isWindow(window) == 0) return nullptr;
  g_knownOps.store(ops);
  return ops;
}

// The wait notice the host shows (one at a time, like the real host's).
struct WaitNotice {
  NyHwnd window = nullptr;
  const NyWindowOps* ops = nullptr;
};
thread_local WaitNotice t_notice;

// Stands for the notice when the driver gave no window to hang it on.
char g_detachedNotice;

}  // namespace

extern "C" {

void CenterDialogFnV(NyHwnd dialog, NyHwnd owner) {
  const NyWindowOps* ops = opsOf(dialog);
  if (ops == nullptr) return;
  int32_t l = 0, t = 0, r = 0, b = 0;
  if (ops->getRect(dialog, &l, &t, &r, &b) != 0) return;
  // The stand-in host's own windows fill a 1920 x 1080 screen.
  int32_t ol = 0, ot = 0, orr = 1920, ob = 1080;
  if (owner != nullptr && ops->isWindow(owner) != 0) {
    if (ops->getRect(owner, &ol, &ot, &orr, &ob) != 0) return;
  }
  int32_t x = ol + ((orr - ol) - (r - l)) / 2;
  int32_t y = ot + ((ob - ot) - (b - t)) / 2;
  ops->moveTo(dialog, x < 0 ? 0 : x, y < 0 ? 0 : y);
}

int16_t GetDlgItemIntFnSW(NyHwnd dialog, int32_t controlId, int32_t isSigned) {
  const NyWindowOps* ops = opsOf(dialog);
  if (ops == nullptr) return 0;
  char text[64];
  if (ops->getItemText(dialog, controlId, text, sizeof text) < 0) return 0;
  const char* p = text;
  while (*p == ' ') ++p;
  bool negative = false;
  if (isSigned != 0 && *p == '-') {
    negative = true;
    ++p;
  }
  int64_t value = 0;
  int digits = 0;
  for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
    // Saturate: a typed number beyond 16 bits must stay out of any range the dialog checks
    // instead of wrapping into it (70000 must not read as 4464).
    if (value < 100000) value = value * 10 + (*p - '0');
  }
  if (digits == 0) return 0;
  if (negative) value = -value;
  if (value > INT16_MAX) return INT16_MAX;
  if (value < INT16_MIN) return INT16_MIN;
  return static_cast<int16_t>(value);
}

void InitCombineBoxFnV(NyHwnd dialog, int32_t /*zero*/, int32_t controlId, uint32_t firstStringId,
                       int32_t count) {
  const NyWindowOps* ops = opsOf(dialog);
  if (ops == nullptr || ops->resetCombo(dialog, controlId) != 0) return;
  for (int32_t i = 0; i < count && i < 1000; ++i) {
    uint32_t id = firstStringId + static_cast<uint32_t>(i);
    char text[256];
    if (LoadStringFnI(id, text, sizeof text) == 0) {
      // The stand-in host has no such text: show its id, so each entry stays distinct.
      std::snprintf(text, sizeof text, "%u", id);
    }
    ops->addComboItem(dialog, controlId, text);
  }
}

void LoadDialogItemsExFnV(const char* dialogName, NyHwnd dialog, const char* section) {
  // The stand-in host speaks the driver's own language: the template texts stay as they
  // are. The call is logged so that a trace shows which dialog asked.
  if (opsOf(dialog) == nullptr) return;
  printd("LoadDialogItemsEx(%s, %s)\n", dialogName != nullptr ? dialogName : "",
         section != nullptr ? section : "");
}

void DoEventsFnV(NyHwnd window, int32_t /*count*/) {
  const NyWindowOps* ops = opsOf(window);
  if (ops == nullptr) ops = g_knownOps.load();
  if (ops != nullptr) ops->pumpMessages();
}

NyHwnd ShowWaitMessageFnH(NyHwnd owner, const char* text) {
  if (t_notice.window != nullptr) {
    if (t_notice.ops != nullptr) t_notice.ops->destroyNotice(t_notice.window);
    t_notice = WaitNotice{};
  }
  if (text == nullptr) return nullptr;
  if (const NyWindowOps* ops = opsOf(owner)) {
    NyHwnd notice = ops->createNotice(owner, text);
    if (notice != nullptr) {
      t_notice = WaitNotice{notice, ops};
      return notice;
    }
  }
  t_notice = WaitNotice{reinterpret_cast<NyHwnd>(&g_detachedNotice), nullptr};
  return t_notice.window;
}

}  // extern "C"
