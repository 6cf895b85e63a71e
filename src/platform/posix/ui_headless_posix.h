// Internals of the headless dialog runtime shared by its parts: the window records, the
// thread's window registry, and the message delivery that the modal loop, the controls
// and the operators all go through. Not part of the platform API.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "nyprkt3600r/window_ops.h"
#include "platform/ui.h"
#include "platform/ui_operator.h"
#include "platform/ui_template.h"

namespace nypr::platform::headless {

// Metrics of the dialogs' font (9 point, 96 dpi): dialog units to pixels, and the width
// of a single-byte and a double-byte character.
inline constexpr int kPixelsPerDuNum = 3;
inline constexpr int kPixelsPerDuDen = 2;
inline constexpr int kNarrowCharWidth = 6;
inline constexpr int kWideCharWidth = 12;
// Report view geometry of a list.
inline constexpr int kListHeaderHeight = 20;
inline constexpr int kListRowHeight = 16;
// Where a click on a list row lands (inside column 0).
inline constexpr int kListClickX = 8;

inline int toPixels(int du) {
  return du * kPixelsPerDuNum / kPixelsPerDuDen;
}

enum class WinType { Dialog, Control, Notice };

struct Timer {
  uintptr_t id;
  uint32_t interval;
  uint32_t due;
};

struct ListColumn {
  std::string text;
  int width;
  int format;
};

struct ListRow {
  std::vector<std::string> cells;
  bool selected = false;
  bool focused = false;
};

struct PumpHook {
  std::function<bool(OperatedDialog&)> fn;
};

struct Window {
  NyWindowHeader header{};
  WinType type = WinType::Control;
  Window* dialog = nullptr;  // a control's dialog
  NyHwnd owner = nullptr;    // a dialog's or notice's owner
  ControlKind kind = ControlKind::Static;
  int id = 0;
  uint32_t flags = 0;
  std::string text;
  bool enabled = true;
  bool visible = true;
  int checked = 0;
  int radioGroup = -1;
  int32_t x = 0, y = 0, cx = 0, cy = 0;  // pixels; a control's relative to its dialog
  // Combo box.
  std::vector<std::string> items;
  int curSel = -1;
  // List view.
  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  uint32_t exStyle = 0;
  // IP address control.
  uint32_t ip = 0;
  int ipFields = 0;
  // Dialog.
  std::string templateName;
  DialogProc proc = nullptr;
  std::vector<std::unique_ptr<Window>> controls;
  std::vector<Timer> timers;
  std::vector<PumpHook> pumpHooks;
  bool ended = false;
  intptr_t result = 0;

  NyHwnd handle() { return reinterpret_cast<NyHwnd>(&header); }
};

struct ThreadUi {
  std::unordered_map<NyHwnd, Window*> windows;
  std::vector<Window*> modalStack;  // innermost last
  std::vector<std::unique_ptr<Window>> notices;
  NyHwnd focus = nullptr;
};

// The calling thread's windows, made at its first use.
ThreadUi& threadUi();

// ---- Registry (ui_window_posix.cpp) -------------------------------------------------------

Window* find(NyHwnd h);
Window* findDialog(NyHwnd h);
Window* findControl(NyHwnd h, ControlKind kind);
Window* itemOf(Window* dlg, int id);
Window* item(NyHwnd dialog, int id);
void registerWindow(Window* w);
void unregisterWindow(Window* w);
// What GetWindowText answers for a control (an IP address as "a.b.c.d", a combo box's
// selected entry).
std::string controlText(const Window* w);
std::string windowText(const Window* w);
void setText(Window* w, const char* text);

// ---- Modal loop and timers (ui_modal_posix.cpp) --------------------------------------------

intptr_t send(Window* dlg, uint32_t msg, uintptr_t wParam, intptr_t lParam);
// The dialog is registered and has not ended.
bool live(Window* dlg);
void fire(Window* dlg, uintptr_t id);
// Fires the dialog's timers in due order, waiting for each through the clock.
int runDialogTimers(Window* dlg, int maxFirings);
// Escape: the cancel command, unless the dialog's cancel button is there but unusable.
bool pressCancel(Window* dlg);

// ---- Operators (ui_operator_posix.cpp) ------------------------------------------------------

DialogOperator operatorFor(const std::string& name);

}  // namespace nypr::platform::headless
