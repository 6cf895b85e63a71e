// The driver's windows on Windows: real windows through user32, as the host's own
// helpers reach them. The test archive's headless dialogs (their handles point to a
// window header, never a real window) still go through their window table.
#include <windows.h>

#include "host_window.h"
#include "platform/win32/ui_wide_win32.h"

namespace nyhost {
namespace {

using nypr::platform::win32ui::wideFromCp932;
using nypr::platform::win32ui::windowTextCp932;

// The handle as a live real window, or null (a headless window or no window at all).
HWND real(NyHwnd window) {
  if (window == nullptr || headless::isKnownWindow(window)) return nullptr;
  HWND h = static_cast<HWND>(window);
  return IsWindow(h) ? h : nullptr;
}

HWND realItem(NyHwnd dialog, int id) {
  HWND h = real(dialog);
  return h != nullptr ? GetDlgItem(h, id) : nullptr;
}

bool isComboBox(HWND control) {
  wchar_t name[32] = {};
  return GetClassNameW(control, name, 32) > 0 && lstrcmpiW(name, L"ComboBox") == 0;
}

Rect fromRect(const RECT& r) {
  return Rect{r.left, r.top, r.right, r.bottom};
}

// The work area of the monitor that shows `window` (or the primary one).
Rect workArea(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
  if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) return fromRect(info.rcWork);
  return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

bool isWindow(NyHwnd window) {
  return headless::isKnownWindow(window) || real(window) != nullptr;
}

bool windowRect(NyHwnd window, Rect& rect) {
  if (window != nullptr && real(window) == nullptr) return headless::windowRect(window, rect);
  RECT r{};
  if (window == nullptr || !GetWindowRect(static_cast<HWND>(window), &r)) return false;
  rect = fromRect(r);
  return true;
}

Rect screenArea(NyHwnd dialog) {
  if (HWND h = real(dialog)) return workArea(h);
  return headless::kScreen;
}

bool moveWindow(NyHwnd window, int32_t left, int32_t top) {
  HWND h = real(window);
  if (h == nullptr) return headless::moveWindow(window, left, top);
  return SetWindowPos(h, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) !=
         FALSE;
}

bool itemText(NyHwnd dialog, int id, std::string& text) {
  if (real(dialog) == nullptr) return headless::itemText(dialog, id, text);
  HWND item = realItem(dialog, id);
  if (item == nullptr) return false;
  text = windowTextCp932(item);
  return true;
}

bool setItemText(NyHwnd dialog, int id, const std::string& text) {
  if (real(dialog) == nullptr) return headless::setItemText(dialog, id, text);
  HWND item = realItem(dialog, id);
  return item != nullptr && SetWindowTextW(item, wideFromCp932(text).c_str()) != FALSE;
}

bool resetCombo(NyHwnd dialog, int id) {
  if (real(dialog) == nullptr) return headless::resetCombo(dialog, id);
  HWND item = realItem(dialog, id);
  if (item == nullptr || !isComboBox(item)) return false;
  SendMessageW(item, CB_RESETCONTENT, 0, 0);
  return true;
}

void addComboItem(NyHwnd dialog, int id, const std::string& text) {
  if (real(dialog) == nullptr) return headless::addComboItem(dialog, id, text);
  HWND item = realItem(dialog, id);
  if (item == nullptr || !isComboBox(item)) return;
  const std::wstring wide = wideFromCp932(text);
  SendMessageW(item, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void pumpMessages(NyHwnd window) {
  // A headless window is served by its runtime; no window at all by both.
  const bool onReal = real(window) != nullptr;
  if (!onReal) headless::pumpMessages(window);
  if (!onReal && window != nullptr) return;
  // What is pending now, not what the pumping itself keeps producing.
  constexpr int kMostMessages = 1000;
  MSG msg;
  for (int i = 0; i < kMostMessages && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      // The quit belongs to the loop that owns the thread: give it back.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    HWND root = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && IsDialogMessageW(root, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

NyHwnd createNotice(NyHwnd owner, const std::string& text) {
  HWND ownerWindow = real(owner);
  if (owner != nullptr && ownerWindow == nullptr) return headless::createNotice(owner, text);
  // A bordered box with the text in the owner's dialog font, centred over the owner.
  HFONT font = ownerWindow != nullptr
                   ? reinterpret_cast<HFONT>(SendMessageW(ownerWindow, WM_GETFONT, 0, 0))
                   : nullptr;
  if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const std::wstring wide = wideFromCp932(text);
  RECT extent{0, 0, 0, 0};
  if (HDC dc = GetDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, font);
    DrawTextW(dc, wide.c_str(), -1, &extent, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  const int width = extent.right - extent.left + 48;
  const int height = extent.bottom - extent.top + 32;
  RECT area{};
  if (ownerWindow == nullptr || !GetWindowRect(ownerWindow, &area)) {
    const Rect work = workArea(nullptr);
    area = RECT{work.left, work.top, work.right, work.bottom};
  }
  HWND notice = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", wide.c_str(),
                                WS_POPUP | WS_BORDER | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX,
                                area.left + (area.right - area.left - width) / 2,
                                area.top + (area.bottom - area.top - height) / 2, width, height,
                                ownerWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (notice == nullptr) return nullptr;
  SendMessageW(notice, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ShowWindow(notice, SW_SHOWNOACTIVATE);
  UpdateWindow(notice);
  return notice;
}

void destroyNotice(NyHwnd notice) {
  if (HWND h = real(notice)) {
    DestroyWindow(h);
  } else {
    headless::destroyNotice(notice);
  }
}

void setWaitCursor(bool on) {
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(on ? 32514 : 32512)));  // IDC_WAIT, IDC_ARROW
}

}  // namespace nyhost
