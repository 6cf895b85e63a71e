// Real dialogs: modal dialogs from the module's own resources, run by the window manager.
//
// The driver's dialog procedures run unchanged behind one trampoline, which keeps the
// procedure in a window property of the module's own (not the dialog's DWLP_USER slot:
// the window goes to the host's helpers, which may use that slot) and hands it the
// messages the procedures know
// (init, command, timer, notify, destroy). A list view's click arrives as the system's
// NMITEMACTIVATE record and is copied field by field into the driver's record.
//
// Windows keeps delivering a dialog's timer messages while a nested modal loop runs (a
// message box or another dialog): a dialog that has been told to end takes no more ticks,
// and the procedures skip ticks that arrive while one of their commands is running.
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <mutex>
#include <string>

#include "platform/text.h"
#include "platform/ui.h"
#include "platform/ui_dialog_int.h"
#include "platform/win32/ui_wide_win32.h"
#include "resources/dialog_templates.h"

namespace nypr::platform {
namespace {

using namespace win32ui;

struct DialogStart {
  DialogProc proc;
  intptr_t param;
};

// Set by endDialog: the dialog's modal loop ends after the current message.
constexpr wchar_t kEndedProperty[] = L"NyprDialogEnded";
// Set while a dialog is to stay hidden. The modal loop shows its dialog when the queue
// first goes empty whatever the dialog did in its init: a dialog that hid itself there
// (the wait dialog) keeps the system from showing it until it is shown again.
constexpr wchar_t kHiddenProperty[] = L"NyprDialogHidden";
// The driver's procedure of the dialog.
constexpr wchar_t kProcProperty[] = L"NyprDialogProc";

bool isDialogWindow(HWND window) {
  wchar_t name[16] = {};
  return GetClassNameW(window, name, 16) > 0 && lstrcmpW(name, L"#32770") == 0;
}

HMODULE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&thisModule), &module);
  return module;
}

void initCommonControls() {
  static std::once_flag once;
  std::call_once(once, [] {
    INITCOMMONCONTROLSEX controls{
        sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);
  });
}

bool isListView(HWND window) {
  wchar_t name[32] = {};
  return GetClassNameW(window, name, 32) > 0 && lstrcmpiW(name, WC_LISTVIEWW) == 0;
}

DialogProc procOf(HWND dialog) {
  return reinterpret_cast<DialogProc>(GetPropW(dialog, kProcProperty));
}

INT_PTR notify(DialogProc proc, HWND dialog, WPARAM wParam, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header == nullptr) return FALSE;
  const int32_t code = static_cast<int32_t>(header->code);
  if ((code == kNmClick || code == kNmDblClk) && isListView(header->hwndFrom)) {
    const auto* real = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
    ListItemActivate click{{header->hwndFrom, static_cast<intptr_t>(header->idFrom), code},
                           real->iItem,
                           real->iSubItem,
                           real->uNewState,
                           real->uOldState,
                           real->uChanged,
                           {real->ptAction.x, real->ptAction.y},
                           static_cast<intptr_t>(real->lParam),
                           real->uKeyFlags};
    return proc(dialog, kMsgNotify, wParam, reinterpret_cast<intptr_t>(&click));
  }
  // Other notifications reach the procedures as their header only.
  NotifyHeader plain{header->hwndFrom, static_cast<intptr_t>(header->idFrom), code};
  return proc(dialog, kMsgNotify, wParam, reinterpret_cast<intptr_t>(&plain));
}

INT_PTR CALLBACK trampoline(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* start = reinterpret_cast<const DialogStart*>(lParam);
    SetPropW(dialog, kProcProperty, reinterpret_cast<HANDLE>(start->proc));
    return start->proc(dialog, kMsgInitDialog, wParam, start->param);
  }
  const DialogProc proc = procOf(dialog);
  if (proc == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      return proc(dialog, kMsgCommand, wParam, lParam);
    case WM_TIMER:
      if (GetPropW(dialog, kEndedProperty) == nullptr) proc(dialog, kMsgTimer, wParam, lParam);
      return TRUE;
    case WM_NOTIFY:
      return notify(proc, dialog, wParam, lParam);
    case WM_WINDOWPOSCHANGING:
      if (GetPropW(dialog, kHiddenProperty) != nullptr) {
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
      }
      return FALSE;
    case WM_DESTROY:
      proc(dialog, kMsgDestroy, 0, 0);
      RemovePropW(dialog, kEndedProperty);
      RemovePropW(dialog, kHiddenProperty);
      RemovePropW(dialog, kProcProperty);
      return FALSE;
    default:
      return FALSE;
  }
}

// The resource name of a template, also when it was asked for under another name.
std::string resourceName(const char* name) {
  for (const DialogTemplateAlias& alias : dialogTemplateAliases()) {
    if (std::string_view(name) == alias.alias) return alias.name;
  }
  return name;
}

}  // namespace

// ---- Focus -----------------------------------------------------------------------------------

NyHwnd focusWindow() {
  return GetFocus();
}

NyHwnd setFocus(NyHwnd window) {
  if (window != nullptr && !IsWindow(hwnd(window))) return nullptr;
  return SetFocus(hwnd(window));
}

// ---- Dialogs -----------------------------------------------------------------------------------

intptr_t dialogBoxParam(const char* templateName, NyHwnd owner, DialogProc proc, intptr_t param) {
  if (templateName == nullptr || proc == nullptr) return -1;
  initCommonControls();
  DialogStart start{proc, param};
  const std::wstring name = wideFromCp932(resourceName(templateName));
  return DialogBoxParamW(thisModule(), name.c_str(), hwnd(owner), trampoline,
                         reinterpret_cast<LPARAM>(&start));
}

bool endDialog(NyHwnd dialog, intptr_t result) {
  HWND d = hwnd(dialog);
  if (d == nullptr || !IsWindow(d) || procOf(d) == nullptr) return false;
  if (GetPropW(d, kEndedProperty) != nullptr) return false;
  SetPropW(d, kEndedProperty, reinterpret_cast<HANDLE>(1));
  return EndDialog(d, result) != FALSE;
}

bool isWindow(NyHwnd window) {
  return window != nullptr && IsWindow(hwnd(window)) != FALSE;
}

NyHwnd getDlgItem(NyHwnd dialog, int id) {
  if (!isWindow(dialog) || id == -1) return nullptr;
  return GetDlgItem(hwnd(dialog), id);
}

int getDlgCtrlId(NyHwnd control) {
  if (!isWindow(control) || (GetWindowLongW(hwnd(control), GWL_STYLE) & WS_CHILD) == 0) return 0;
  return GetDlgCtrlID(hwnd(control));
}

NyHwnd getParent(NyHwnd window) {
  return isWindow(window) ? GetParent(hwnd(window)) : nullptr;
}

bool setWindowText(NyHwnd window, const char* text) {
  if (!isWindow(window)) return false;
  return SetWindowTextW(hwnd(window), wideFromCp932(text != nullptr ? text : "").c_str()) != FALSE;
}

std::string getWindowText(NyHwnd window) {
  return isWindow(window) ? windowTextCp932(hwnd(window)) : std::string();
}

bool setDlgItemText(NyHwnd dialog, int id, const char* text) {
  NyHwnd item = getDlgItem(dialog, id);
  return item != nullptr && setWindowText(item, text);
}

std::string getDlgItemText(NyHwnd dialog, int id) {
  return getWindowText(getDlgItem(dialog, id));
}

int getDlgItemText(NyHwnd dialog, int id, char* buf, int size) {
  if (buf == nullptr || size <= 0) return 0;
  return static_cast<int>(copyCp932(getDlgItemText(dialog, id), buf, static_cast<size_t>(size)));
}

int64_t getDlgItemInt(NyHwnd dialog, int id, bool* translated, bool isSigned) {
  if (translated != nullptr) *translated = false;
  NyHwnd item = getDlgItem(dialog, id);
  return item != nullptr ? parseDialogInt(getWindowText(item), translated, isSigned) : 0;
}

bool checkDlgButton(NyHwnd dialog, int id, int state) {
  if (getDlgItem(dialog, id) == nullptr) return false;
  return CheckDlgButton(hwnd(dialog), id, state != 0 ? BST_CHECKED : BST_UNCHECKED) != FALSE;
}

int isDlgButtonChecked(NyHwnd dialog, int id) {
  if (getDlgItem(dialog, id) == nullptr) return 0;
  return IsDlgButtonChecked(hwnd(dialog), id) == BST_CHECKED ? 1 : 0;
}

bool checkRadioButton(NyHwnd dialog, int first, int last, int id) {
  return isWindow(dialog) && CheckRadioButton(hwnd(dialog), first, last, id) != FALSE;
}

bool enableWindow(NyHwnd window, bool enable) {
  if (!isWindow(window)) return false;
  EnableWindow(hwnd(window), enable ? TRUE : FALSE);
  return true;
}

bool isWindowEnabled(NyHwnd window) {
  return isWindow(window) && IsWindowEnabled(hwnd(window)) != FALSE;
}

bool showWindow(NyHwnd window, bool show) {
  if (!isWindow(window)) return false;
  if (isDialogWindow(hwnd(window))) {
    if (show) {
      RemovePropW(hwnd(window), kHiddenProperty);
    } else {
      SetPropW(hwnd(window), kHiddenProperty, reinterpret_cast<HANDLE>(1));
    }
  }
  ShowWindow(hwnd(window), show ? SW_SHOW : SW_HIDE);
  return true;
}

bool isWindowVisible(NyHwnd window) {
  return isWindow(window) && IsWindowVisible(hwnd(window)) != FALSE;
}

bool enableDlgItem(NyHwnd dialog, int id, bool enable) {
  return enableWindow(getDlgItem(dialog, id), enable);
}

bool showDlgItem(NyHwnd dialog, int id, bool show) {
  return showWindow(getDlgItem(dialog, id), show);
}

bool getWindowRect(NyHwnd window, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
  RECT r{};
  if (!isWindow(window) || !GetWindowRect(hwnd(window), &r)) return false;
  if (left != nullptr) *left = r.left;
  if (top != nullptr) *top = r.top;
  if (right != nullptr) *right = r.right;
  if (bottom != nullptr) *bottom = r.bottom;
  return true;
}

bool moveWindow(NyHwnd window, int32_t left, int32_t top) {
  if (!isWindow(window)) return false;
  return SetWindowPos(hwnd(window), nullptr, left, top, 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool setTimer(NyHwnd dialog, uintptr_t id, uint32_t ms) {
  return isWindow(dialog) && SetTimer(hwnd(dialog), id, ms, nullptr) != 0;
}

bool killTimer(NyHwnd dialog, uintptr_t id) {
  return isWindow(dialog) && KillTimer(hwnd(dialog), id) != FALSE;
}

void pumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns it
      return;
    }
    HWND active = GetActiveWindow();
    if (active != nullptr && IsDialogMessageW(active, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace nypr::platform
