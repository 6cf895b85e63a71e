// The dialog runtime and the other user-interface services of the driver.
//
// Dialogs keep the message-driven shape of Win32: a dialog procedure receives
// kMsgInitDialog (lParam = creation parameter), kMsgCommand (commandId/commandCode of
// wParam), kMsgTimer (wParam = timer id), kMsgNotify (lParam = const NotifyHeader*, or a
// larger record that starts with one) and kMsgDestroy. The message numbers are the Win32
// ones, so the Windows backend hands them through unchanged.
//
// Contract of every function below:
// - Everything runs on the caller's thread; the runtime starts no thread. Modal dialogs
//   nest: a procedure may open another modal dialog from any message.
// - Window handles are checked: a null, closed or foreign handle makes a function fail
//   (false, -1, 0 or an empty text, as noted) and never crashes.
// - Texts are CP932, as on the Windows side of the driver.
// - Timers are periodic (SetTimer): a timer fires every `ms` until killed or re-set. They
//   are fired by the modal loop of the innermost dialog (and by pumpMessages), with the
//   time of platform/clock.h, so tests with an injected clock never wait.
//
// The POSIX backend is headless (see ui_operator.h for how dialogs are operated there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "nyprkt3600r/platform_types.h"

namespace nypr::platform {

// ---- Beeps and focus ------------------------------------------------------------------

enum class BeepKind { Ok, Error, Warning };

// Sounds the system beep of that kind (MessageBeep on Windows).
void messageBeep(BeepKind kind);
// The window with the keyboard focus, or null when there is none.
NyHwnd focusWindow();
// Test seam of the headless backend: beeps sounded so far in this process.
int beepCountForTesting();

// ---- Messages ---------------------------------------------------------------------------

inline constexpr uint32_t kMsgDestroy = 0x0002;
inline constexpr uint32_t kMsgNotify = 0x004E;
inline constexpr uint32_t kMsgInitDialog = 0x0110;
inline constexpr uint32_t kMsgCommand = 0x0111;
inline constexpr uint32_t kMsgTimer = 0x0113;

// Standard button ids.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Command notification codes.
inline constexpr int kBnClicked = 0;
inline constexpr int kCbnSelChange = 1;
inline constexpr int kEnChange = 0x0300;

// Notification codes of kMsgNotify.
inline constexpr int kNmClick = -2;
inline constexpr int kNmDblClk = -3;

inline uintptr_t makeCommandParam(int id, int code) {
  return (static_cast<uintptr_t>(static_cast<uint16_t>(code)) << 16) | static_cast<uint16_t>(id);
}
inline int commandId(uintptr_t wParam) {
  return static_cast<int>(wParam & 0xFFFF);
}
inline int commandCode(uintptr_t wParam) {
  return static_cast<int>((wParam >> 16) & 0xFFFF);
}

struct NyPoint {
  int32_t x;
  int32_t y;
};

// Header of every notification (NMHDR).
struct NotifyHeader {
  NyHwnd from;
  intptr_t id;
  int32_t code;
};

// Mouse notification of a list view, laid out as NMITEMACTIVATE: the row under the click
// (-1 for none), the item state fields the driver does not use, and the click position
// in the list's client coordinates.
struct ListItemActivate {
  NotifyHeader hdr;
  int32_t item;
  int32_t subItem;
  uint32_t newState;
  uint32_t oldState;
  uint32_t changed;
  NyPoint action;
  intptr_t lParam;
  uint32_t keyFlags;
};
static_assert(offsetof(ListItemActivate, action) == sizeof(NotifyHeader) + 5 * sizeof(int32_t),
              "the click point follows the item, sub-item and three state fields");

// Returns what the message handling decided: for kMsgInitDialog and kMsgCommand,
// non-zero when handled. The runtime itself does not depend on it. A dialog procedure has
// the system's calling convention (stdcall on 32-bit Windows), as the window manager
// calls it.
using DialogProc = intptr_t(NYPR_STDCALL*)(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                           intptr_t lParam);

// ---- Dialogs ------------------------------------------------------------------------------

// Runs the dialog of template `templateName` modally over `owner` and returns the value
// given to endDialog; -1 when the template does not exist (nothing is created).
intptr_t dialogBoxParam(const char* templateName, NyHwnd owner, DialogProc proc, intptr_t param);
// Marks the dialog to end with `result` once the current message has been handled.
bool endDialog(NyHwnd dialog, intptr_t result);
// Whether `window` is a live window of the runtime (dialog or control).
bool isWindow(NyHwnd window);
NyHwnd getDlgItem(NyHwnd dialog, int id);
int getDlgCtrlId(NyHwnd control);  // 0 for a dialog or an unknown handle
NyHwnd getParent(NyHwnd window);   // a control's dialog, a dialog's owner

bool setWindowText(NyHwnd window, const char* text);
std::string getWindowText(NyHwnd window);
bool setDlgItemText(NyHwnd dialog, int id, const char* text);
std::string getDlgItemText(NyHwnd dialog, int id);
// Copies the text into buf (cut at a character boundary, terminated); returns its length.
int getDlgItemText(NyHwnd dialog, int id, char* buf, int size);
bool setDlgItemInt(NyHwnd dialog, int id, int32_t value, bool isSigned);
// GetDlgItemInt: leading blanks skipped, an optional "-" when isSigned, digits up to the
// first other character. *translated is false (and the result 0) for a text without
// digits or a number outside 32 bits (unsigned: 0..4294967295).
int64_t getDlgItemInt(NyHwnd dialog, int id, bool* translated, bool isSigned);

// Check boxes and radio buttons: 0 unchecked, 1 checked.
bool checkDlgButton(NyHwnd dialog, int id, int state);
int isDlgButtonChecked(NyHwnd dialog, int id);
// Checks `id` and unchecks every other button of first..last.
bool checkRadioButton(NyHwnd dialog, int first, int last, int id);

bool enableWindow(NyHwnd window, bool enable);
bool isWindowEnabled(NyHwnd window);
bool showWindow(NyHwnd window, bool show);
bool isWindowVisible(NyHwnd window);
bool enableDlgItem(NyHwnd dialog, int id, bool enable);
bool showDlgItem(NyHwnd dialog, int id, bool show);
// Gives `window` the focus; returns the window that had it (null when none).
NyHwnd setFocus(NyHwnd window);

// Window rectangle in screen pixels, for dialogs and controls alike (GetWindowRect).
bool getWindowRect(NyHwnd window, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);
// Moves a dialog to screen pixels, a control to pixels of its dialog's client area.
bool moveWindow(NyHwnd window, int32_t left, int32_t top);

// Periodic timer `id` of the dialog, every `ms` milliseconds (re-setting restarts it).
bool setTimer(NyHwnd dialog, uintptr_t id, uint32_t ms);
bool killTimer(NyHwnd dialog, uintptr_t id);
// Hands out what is pending for the open dialogs: operator actions queued for the next
// pump and timers that are due (without waiting). DoEvents of the host lands here.
void pumpMessages();

// ---- Combo boxes ---------------------------------------------------------------------------

int comboAddString(NyHwnd combo, const char* text);  // index, or -1
bool comboResetContent(NyHwnd combo);
bool comboSetCurSel(NyHwnd combo, int index);  // -1 clears the selection
int comboGetCurSel(NyHwnd combo);              // -1 when none
int comboGetCount(NyHwnd combo);
std::string comboGetItemText(NyHwnd combo, int index);

// ---- List views (report view) ------------------------------------------------------------

inline constexpr uint32_t kLvsExFullRowSelect = 0x20;
inline constexpr int kLvcFmtLeft = 0;

uint32_t listViewGetExtendedStyle(NyHwnd list);
bool listViewSetExtendedStyle(NyHwnd list, uint32_t mask, uint32_t style);
int listViewGetColumnCount(NyHwnd list);
bool listViewDeleteColumn(NyHwnd list, int column);
// Inserts a column before `column` (at the end when beyond); returns its index or -1.
int listViewInsertColumn(NyHwnd list, int column, const char* text, int width, int format);
bool listViewSetColumnWidth(NyHwnd list, int column, int width);
int listViewGetColumnWidth(NyHwnd list, int column);  // -1 for no such column
std::string listViewGetColumnText(NyHwnd list, int column);
bool listViewDeleteAllItems(NyHwnd list);
// Inserts a row before `row` (at the end when beyond) with the text of column 0;
// returns its index or -1.
int listViewInsertItem(NyHwnd list, int row, const char* text);
bool listViewSetItemText(NyHwnd list, int row, int column, const char* text);
std::string listViewGetItemText(NyHwnd list, int row, int column);
int listViewGetItemCount(NyHwnd list);
// The row at `point` of the list's client area, or -1.
int listViewHitTest(NyHwnd list, NyPoint point);
// Selects (and focuses) `row` alone; -1 clears the selection.
bool listViewSelectItem(NyHwnd list, int row, bool focus);
int listViewGetSelectedItem(NyHwnd list);  // first selected row, -1 when none
// Width in pixels of `text` in the list's font (ListView_GetStringWidth).
int listViewGetStringWidth(NyHwnd list, const char* text);
// Client-area y of the middle of `row` (for clicks on it).
int listViewRowCenterY(NyHwnd list, int row);

// ---- IP address control --------------------------------------------------------------------

// Address with the first octet in the most significant byte.
bool ipAddressSet(NyHwnd control, uint32_t address);
bool ipAddressClear(NyHwnd control);
// Number of fields that are not blank (0..4); *address gets the address (blank fields 0).
int ipAddressGet(NyHwnd control, uint32_t* address);

}  // namespace nypr::platform
