// The driver's windows as the stand-in host's dialog helpers reach them: one backend per
// OS (host_window_posix.cpp: the headless runtime's window table; host_window_win32.cpp:
// user32 on real windows). Texts are CP932. Every function fails cleanly (false, null,
// nothing done) for a handle that is no live window.
#pragma once

#include <cstdint>
#include <string>

#include "nyprkt3600r/platform_types.h"
#include "nyprkt3600r/window_ops.h"

namespace nyhost {

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Any live window: a driver dialog, or an owner window of the host.
bool isWindow(NyHwnd window);
// The window's rectangle in screen pixels.
bool windowRect(NyHwnd window, Rect& rect);
// The screen area in which `dialog` is centred when its owner is no window, and which a
// centred dialog is kept inside.
Rect screenArea(NyHwnd dialog);
// Moves the window's top-left corner to screen pixels (left, top).
bool moveWindow(NyHwnd window, int32_t left, int32_t top);

bool itemText(NyHwnd dialog, int id, std::string& text);
bool setItemText(NyHwnd dialog, int id, const std::string& text);
// Empties combo box `id`; false when there is no such control.
bool resetCombo(NyHwnd dialog, int id);
void addComboItem(NyHwnd dialog, int id, const std::string& text);

// Processes the messages pending for the calling thread's windows (`window` is the
// driver window that asks, possibly null).
void pumpMessages(NyHwnd window);

// A modeless notice showing `text` over `owner`; null when none could be shown there.
// Destroyed on the thread that made it.
NyHwnd createNotice(NyHwnd owner, const std::string& text);
void destroyNotice(NyHwnd notice);

void setWaitCursor(bool on);

// The same on the headless runtime's windows (host_headless_window.cpp): the whole of
// the POSIX backend, and on Windows the windows of the test archive's headless dialogs.
namespace headless {
// The screen the headless runtime's windows are placed on.
inline constexpr Rect kScreen{0, 0, 1920, 1080};
// Non-zero only for a live window of a table already seen; never reads the handle.
bool isKnownWindow(NyHwnd window);
bool windowRect(NyHwnd window, Rect& rect);
bool moveWindow(NyHwnd window, int32_t left, int32_t top);
bool itemText(NyHwnd dialog, int id, std::string& text);
bool setItemText(NyHwnd dialog, int id, const std::string& text);
bool resetCombo(NyHwnd dialog, int id);
void addComboItem(NyHwnd dialog, int id, const std::string& text);
void pumpMessages(NyHwnd window);
NyHwnd createNotice(NyHwnd owner, const std::string& text);
void destroyNotice(NyHwnd notice);
}  // namespace headless

}  // namespace nyhost
