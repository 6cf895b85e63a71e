// The host library's dialog helpers, working on the driver's windows (host_window.h
// reaches them: the headless runtime's on POSIX, real windows on Windows).
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "core/host_api.h"
#include "host_state.h"
#include "host_window.h"
#include "nyhost/nyhost_control.h"

namespace {

// The hourglass as the driver last set it, and how often it was shown.
std::atomic<bool> g_waitCursorOn{false};
std::atomic<int> g_waitCursorShown{0};

// The wait notice the host shows (one at a time, like the real host's).
struct WaitNotice {
  NyHwnd window = nullptr;
  bool made = false;  // a window of its own, to destroy; else the detached stand-in
};
thread_local WaitNotice t_notice;

// Stands for the notice when the driver gave no window to hang it on.
char g_detachedNotice;

// A control's number as the host reads it: leading blanks, an optional minus sign when
// signed, then digits; anything else ends the number, no digits read as 0.
int16_t parseNumber(const std::string& text, bool isSigned) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (isSigned && i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  int64_t value = 0;
  int digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    // Saturate: a typed number beyond 16 bits must stay out of any range the dialog checks
    // instead of wrapping into it (70000 must not read as 4464).
    if (value < 100000) value = value * 10 + (text[i] - '0');
  }
  if (digits == 0) return 0;
  if (negative) value = -value;
  return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

}  // namespace

extern "C" {

void CenterDialogFnV(NyHwnd dialog, NyHwnd owner) {
  nyhost::Rect box;
  if (!nyhost::windowRect(dialog, box)) return;
  const nyhost::Rect screen = nyhost::screenArea(dialog);
  nyhost::Rect over = screen;
  if (owner != nullptr && nyhost::isWindow(owner) && !nyhost::windowRect(owner, over)) return;
  const int32_t width = box.right - box.left;
  const int32_t height = box.bottom - box.top;
  int32_t x = over.left + ((over.right - over.left) - width) / 2;
  int32_t y = over.top + ((over.bottom - over.top) - height) / 2;
  // Over an owner near the edge the dialog still shows whole, its caption first.
  x = std::max(std::min(x, screen.right - width), screen.left);
  y = std::max(std::min(y, screen.bottom - height), screen.top);
  nyhost::moveWindow(dialog, x, y);
}

int16_t GetDlgItemIntFnSW(NyHwnd dialog, int32_t controlId, int32_t isSigned) {
  std::string text;
  if (!nyhost::itemText(dialog, controlId, text)) return 0;
  return parseNumber(text, isSigned != 0);
}

void InitCombineBoxFnV(NyHwnd dialog, int32_t /*zero*/, int32_t controlId, uint32_t firstStringId,
                       int32_t count) {
  if (!nyhost::resetCombo(dialog, controlId)) return;
  for (int32_t i = 0; i < count && i < 1000; ++i) {
    uint32_t id = firstStringId + static_cast<uint32_t>(i);
    char text[256];
    if (LoadStringFnI(id, text, sizeof text) == 0) {
      // The stand-in host has no such text: show its id, so each entry stays distinct.
      std::snprintf(text, sizeof text, "%u", id);
    }
    nyhost::addComboItem(dialog, controlId, text);
  }
}

void LoadDialogItemsExFnV(const char* dialogName, NyHwnd dialog, const char* section) {
  if (dialogName == nullptr || dialog == nullptr) return;
  // The host's texts for this dialog's controls (nyhostSetDialogText); controls it has no
  // text for keep the template's, which is the driver's own language.
  std::map<int, std::string> texts;
  {
    std::lock_guard lock(nyhost::state().mutex);
    auto it = nyhost::state().dialogTexts.find(dialogName);
    if (it != nyhost::state().dialogTexts.end()) texts = it->second;
  }
  for (const auto& [id, text] : texts) nyhost::setItemText(dialog, id, text);
  printd("LoadDialogItemsEx(%s, %s)\n", dialogName, section != nullptr ? section : "");
}

void DoEventsFnV(NyHwnd window, int32_t /*count*/) {
  nyhost::pumpMessages(window);
}

void SetWaitCursorFnV(int32_t on) {
  if (on != 0) g_waitCursorShown.fetch_add(1);
  g_waitCursorOn.store(on != 0);
  nyhost::setWaitCursor(on != 0);
}

int nyhostWaitCursor(int* shownCount) {
  if (shownCount != nullptr) *shownCount = g_waitCursorShown.load();
  return g_waitCursorOn.load() ? 1 : 0;
}

NyHwnd ShowWaitMessageFnH(NyHwnd owner, const char* text) {
  if (t_notice.window != nullptr) {
    if (t_notice.made) nyhost::destroyNotice(t_notice.window);
    t_notice = WaitNotice{};
  }
  if (text == nullptr) return nullptr;
  if (NyHwnd notice = nyhost::createNotice(owner, text)) {
    t_notice = WaitNotice{notice, true};
    return notice;
  }
  t_notice = WaitNotice{reinterpret_cast<NyHwnd>(&g_detachedNotice), false};
  return t_notice.window;
}

}  // extern "C"
