// Headless dialog runtime: dialogs and controls are plain records built from the
// templates, modal loops run on the caller's thread, and operators (ui_operator.h) stand
// in for the user.
//
// Windows belong to the thread that created them, as on Windows: every record lives in a
// thread-local registry and a handle is only ever used after it was found there, so a
// stale or foreign handle fails cleanly. A handle points to an NyWindowHeader, so the host
// reaches the window through the public window table (nyprkt3600r/window_ops.h).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "nyprkt3600r/window_ops.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "platform/ui_operator.h"
#include "resources/dialog_templates.h"

namespace nypr::platform {
namespace {

// Metrics of the dialogs' font (9 point, 96 dpi): dialog units to pixels, and the width
// of a single-byte and a double-byte character.
constexpr int kPixelsPerDuNum = 3;
constexpr int kPixelsPerDuDen = 2;
constexpr int kNarrowCharWidth = 6;
constexpr int kWideCharWidth = 12;
// Report view geometry of a list.
constexpr int kListHeaderHeight = 20;
constexpr int kListRowHeight = 16;
// Where a click on a list row lands (inside column 0).
constexpr int kListClickX = 8;

int toPixels(int du) {
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

thread_local ThreadUi t_ui;

struct OperatorRegistry {
  std::mutex mutex;
  std::map<std::string, DialogOperator, std::less<>> operators;
};

OperatorRegistry& operators() {
  static OperatorRegistry registry;
  return registry;
}

extern const NyWindowOps kWindowOps;

Window* find(NyHwnd h) {
  if (h == nullptr) return nullptr;
  auto it = t_ui.windows.find(h);
  return it == t_ui.windows.end() ? nullptr : it->second;
}

Window* findDialog(NyHwnd h) {
  Window* w = find(h);
  return (w != nullptr && w->type == WinType::Dialog) ? w : nullptr;
}

Window* findControl(NyHwnd h, ControlKind kind) {
  Window* w = find(h);
  return (w != nullptr && w->type == WinType::Control && w->kind == kind) ? w : nullptr;
}

Window* itemOf(Window* dlg, int id) {
  if (dlg == nullptr) return nullptr;
  for (auto& c : dlg->controls) {
    if (c->id == id && id != kStaticId) return c.get();
  }
  return nullptr;
}

Window* item(NyHwnd dialog, int id) {
  return itemOf(findDialog(dialog), id);
}

void registerWindow(Window* w) {
  w->header.magic = NY_WINDOW_MAGIC;
  w->header.ops = &kWindowOps;
  t_ui.windows[w->handle()] = w;
}

void unregisterWindow(Window* w) {
  if (t_ui.focus == w->handle()) t_ui.focus = nullptr;
  t_ui.windows.erase(w->handle());
}

int textWidth(std::string_view cp932) {
  int width = 0;
  for (size_t i = 0; i < cp932.size(); ++i) {
    if (isCp932LeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size()) {
      width += kWideCharWidth;
      ++i;
    } else {
      width += kNarrowCharWidth;
    }
  }
  return width;
}

std::string formatIp(uint32_t a) {
  char buf[20];
  std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", (a >> 24) & 0xFF, (a >> 16) & 0xFF, (a >> 8) & 0xFF,
                a & 0xFF);
  return buf;
}

// "a.b.c.d" into an address; fields that are empty count as blank.
bool parseIp(std::string_view text, uint32_t* address, int* fields) {
  uint32_t value = 0;
  int count = 0;
  size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    size_t end = text.find('.', pos);
    if (part == 3) end = text.size();
    if (end == std::string_view::npos) return false;
    std::string_view field = text.substr(pos, end - pos);
    if (field.size() > 3) return false;
    unsigned octet = 0;
    for (char ch : field) {
      if (ch < '0' || ch > '9') return false;
      octet = octet * 10 + static_cast<unsigned>(ch - '0');
    }
    if (octet > 255) return false;
    if (!field.empty()) ++count;
    value = (value << 8) | octet;
    pos = end + 1;
  }
  *address = value;
  *fields = count;
  return true;
}

std::string controlText(const Window* w) {
  switch (w->kind) {
    case ControlKind::IpAddress:
      return w->ipFields == 0 ? std::string("0.0.0.0") : formatIp(w->ip);
    case ControlKind::ComboBox:
      return (w->curSel >= 0 && w->curSel < static_cast<int>(w->items.size()))
                 ? w->items[static_cast<size_t>(w->curSel)]
                 : std::string();
    default:
      return w->text;
  }
}

std::string windowText(const Window* w) {
  return w->type == WinType::Control ? controlText(w) : w->text;
}

void setText(Window* w, const char* text) {
  std::string t = text != nullptr ? text : "";
  if (w->type == WinType::Control && w->kind == ControlKind::IpAddress) {
    uint32_t a = 0;
    int fields = 0;
    if (t.empty()) {
      w->ip = 0;
      w->ipFields = 0;
    } else if (parseIp(t, &a, &fields)) {
      w->ip = a;
      w->ipFields = fields;
    }
    return;
  }
  w->text = std::move(t);
}

std::unique_ptr<Window> buildDialog(const DialogTemplate& tpl, NyHwnd owner, DialogProc proc) {
  auto dlg = std::make_unique<Window>();
  dlg->type = WinType::Dialog;
  dlg->templateName = tpl.name;
  dlg->text = templateTextCp932(tpl.title);
  dlg->owner = owner;
  dlg->proc = proc;
  dlg->visible = (tpl.flags & kDialogHidden) == 0;
  dlg->cx = toPixels(tpl.cx);
  dlg->cy = toPixels(tpl.cy);
  int group = -1;
  int nextGroup = 0;
  bool lastWasRadio = false;
  for (const ControlTemplate& ct : tpl.controls) {
    auto c = std::make_unique<Window>();
    c->type = WinType::Control;
    c->dialog = dlg.get();
    c->kind = ct.kind;
    c->id = ct.id;
    c->flags = ct.flags;
    c->enabled = (ct.flags & kDisabled) == 0;
    c->visible = (ct.flags & kHidden) == 0;
    c->x = toPixels(ct.x);
    c->y = toPixels(ct.y);
    c->cx = toPixels(ct.cx);
    c->cy = toPixels(ct.cy);
    if (ct.kind != ControlKind::IpAddress && ct.kind != ControlKind::ComboBox &&
        ct.kind != ControlKind::ListView) {
      c->text = templateTextCp932(ct.text);
    }
    if (ct.kind == ControlKind::Radio) {
      if (!lastWasRadio || (ct.flags & kGroup) != 0) group = nextGroup++;
      c->radioGroup = group;
      lastWasRadio = true;
    } else {
      lastWasRadio = false;
    }
    dlg->controls.push_back(std::move(c));
  }
  return dlg;
}

intptr_t send(Window* dlg, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  if (dlg == nullptr || dlg->proc == nullptr) return 0;
  return dlg->proc(dlg->handle(), msg, wParam, lParam);
}

bool live(Window* dlg) {
  return dlg != nullptr && find(dlg->handle()) == dlg && !dlg->ended;
}

void fire(Window* dlg, uintptr_t id) {
  for (Timer& t : dlg->timers) {
    if (t.id == id) {
      t.due = tickCount() + t.interval;
      send(dlg, kMsgTimer, id, 0);
      return;
    }
  }
}

// Fires the dialog's timers in due order, waiting for each through the clock.
int runDialogTimers(Window* dlg, int maxFirings) {
  int fired = 0;
  while (live(dlg) && !dlg->timers.empty() && fired < maxFirings) {
    uint32_t now = tickCount();
    const Timer* next = nullptr;
    int32_t nextWait = 0;
    for (const Timer& t : dlg->timers) {
      int32_t wait = static_cast<int32_t>(t.due - now);
      if (next == nullptr || wait < nextWait) {
        next = &t;
        nextWait = wait;
      }
    }
    uintptr_t id = next->id;
    // Fire after the wait even if an injected clock did not move, so the loop progresses.
    if (nextWait > 0) sleepMs(static_cast<uint32_t>(nextWait));
    fire(dlg, id);
    ++fired;
  }
  return fired;
}

void sendClick(Window* dlg, Window* control) {
  send(dlg, kMsgCommand, makeCommandParam(control->id, kBnClicked),
       reinterpret_cast<intptr_t>(control->handle()));
}

// Escape: the cancel command, unless the dialog's cancel button is there but unusable.
bool pressCancel(Window* dlg) {
  if (!live(dlg)) return false;
  Window* cancel = itemOf(dlg, kIdCancel);
  if (cancel != nullptr && (!cancel->enabled || !cancel->visible)) return false;
  send(dlg, kMsgCommand, makeCommandParam(kIdCancel, kBnClicked),
       cancel != nullptr ? reinterpret_cast<intptr_t>(cancel->handle()) : 0);
  return true;
}

DialogOperator operatorFor(const std::string& name) {
  std::lock_guard lock(operators().mutex);
  auto it = operators().operators.find(name);
  return it == operators().operators.end() ? DialogOperator() : it->second;
}

Window* firstFocusable(Window* dlg) {
  for (auto& c : dlg->controls) {
    if (c->enabled && c->visible && c->kind != ControlKind::Static &&
        c->kind != ControlKind::GroupBox) {
      return c.get();
    }
  }
  return nullptr;
}

// A user action on control `id` of a live dialog: the control must be usable.
Window* usable(NyHwnd dialog, int id) {
  Window* dlg = findDialog(dialog);
  if (!live(dlg)) return nullptr;
  Window* c = itemOf(dlg, id);
  if (c == nullptr || !c->enabled || !c->visible || !dlg->enabled) return nullptr;
  return c;
}

// ---- Window table for the host -----------------------------------------------------------

int opsIsWindow(NyHwnd w) {
  return isWindow(w) ? 1 : 0;
}
NyHwnd opsGetItem(NyHwnd d, int id) {
  return getDlgItem(d, id);
}
int opsGetItemText(NyHwnd d, int id, char* buf, int size) {
  if (getDlgItem(d, id) == nullptr) {
    if (buf != nullptr && size > 0) buf[0] = '\0';
    return -1;
  }
  return getDlgItemText(d, id, buf, size);
}
int opsSetItemText(NyHwnd d, int id, const char* text) {
  return setDlgItemText(d, id, text) ? 0 : -1;
}
int opsAddComboItem(NyHwnd d, int id, const char* text) {
  return comboAddString(getDlgItem(d, id), text);
}
int opsResetCombo(NyHwnd d, int id) {
  return comboResetContent(getDlgItem(d, id)) ? 0 : -1;
}
NyHwnd opsGetFocus() {
  return focusWindow();
}
NyHwnd opsSetFocus(NyHwnd w) {
  return setFocus(w);
}
int opsGetRect(NyHwnd w, int32_t* l, int32_t* t, int32_t* r, int32_t* b) {
  return getWindowRect(w, l, t, r, b) ? 0 : -1;
}
int opsMoveTo(NyHwnd w, int32_t l, int32_t t) {
  return moveWindow(w, l, t) ? 0 : -1;
}
void opsPump() {
  pumpMessages();
}
NyHwnd opsCreateNotice(NyHwnd owner, const char* text) {
  return createNotice(owner, text);
}
int opsDestroyNotice(NyHwnd n) {
  return destroyNotice(n) ? 0 : -1;
}

const NyWindowOps kWindowOps = {
    sizeof(NyWindowOps), opsIsWindow,   opsGetItem,      opsGetItemText,   opsSetItemText,
    opsAddComboItem,     opsResetCombo, opsGetFocus,     opsSetFocus,      opsGetRect,
    opsMoveTo,           opsPump,       opsCreateNotice, opsDestroyNotice,
};

}  // namespace

// ---- Focus ---------------------------------------------------------------------------------

NyHwnd focusWindow() {
  return find(t_ui.focus) != nullptr ? t_ui.focus : nullptr;
}

NyHwnd setFocus(NyHwnd window) {
  NyHwnd previous = focusWindow();
  if (window == nullptr) {
    t_ui.focus = nullptr;
  } else if (find(window) != nullptr) {
    t_ui.focus = window;
  } else {
    return nullptr;  // SetFocus fails for a foreign window and leaves the focus alone
  }
  return previous;
}

// ---- Dialogs ---------------------------------------------------------------------------------

intptr_t dialogBoxParam(const char* templateName, NyHwnd owner, DialogProc proc, intptr_t param) {
  const DialogTemplate* tpl = templateName != nullptr ? findDialogTemplate(templateName) : nullptr;
  if (tpl == nullptr || proc == nullptr) return -1;
  std::unique_ptr<Window> dlg = buildDialog(*tpl, owner, proc);
  // The name the dialog was opened with reaches its operator (the aliases share data).
  dlg->templateName = templateName;
  Window* d = dlg.get();
  registerWindow(d);
  for (auto& c : d->controls) registerWindow(c.get());
  t_ui.modalStack.push_back(d);
  NyHwnd previousFocus = focusWindow();
  t_ui.focus = d->handle();

  intptr_t initResult = send(d, kMsgInitDialog, 0, param);
  if (!d->ended && initResult != 0 && t_ui.focus == d->handle()) {
    if (Window* first = firstFocusable(d)) t_ui.focus = first->handle();
  }
  if (!d->ended) {
    if (DialogOperator op = operatorFor(d->templateName)) {
      OperatedDialog operated(d->handle());
      op(operated);
    }
  }
  // Nobody acts on the dialog any more: it goes on only by itself.
  while (!d->ended) {
    if (!d->visible && !d->timers.empty()) {
      runDialogTimers(d, INT_MAX);
      continue;
    }
    pressCancel(d);
    if (!d->ended) {
      d->ended = true;
      d->result = 0;
    }
  }
  d->timers.clear();
  d->pumpHooks.clear();
  send(d, kMsgDestroy, 0, 0);
  d->timers.clear();
  intptr_t result = d->result;
  t_ui.modalStack.erase(std::find(t_ui.modalStack.begin(), t_ui.modalStack.end(), d));
  bool focusInside = false;
  if (Window* f = find(t_ui.focus)) focusInside = (f == d || f->dialog == d);
  for (auto& c : d->controls) unregisterWindow(c.get());
  unregisterWindow(d);
  if (focusInside || t_ui.focus == nullptr) {
    t_ui.focus = find(previousFocus) != nullptr ? previousFocus : nullptr;
  }
  return result;
}

bool endDialog(NyHwnd dialog, intptr_t result) {
  Window* d = findDialog(dialog);
  if (d == nullptr || d->ended) return false;
  d->ended = true;
  d->result = result;
  return true;
}

bool isWindow(NyHwnd window) {
  return find(window) != nullptr;
}

NyHwnd getDlgItem(NyHwnd dialog, int id) {
  Window* c = item(dialog, id);
  return c != nullptr ? c->handle() : nullptr;
}

int getDlgCtrlId(NyHwnd control) {
  Window* w = find(control);
  return (w != nullptr && w->type == WinType::Control) ? w->id : 0;
}

NyHwnd getParent(NyHwnd window) {
  Window* w = find(window);
  if (w == nullptr) return nullptr;
  if (w->type == WinType::Control) return w->dialog->handle();
  return w->owner;
}

bool setWindowText(NyHwnd window, const char* text) {
  Window* w = find(window);
  if (w == nullptr) return false;
  setText(w, text);
  return true;
}

std::string getWindowText(NyHwnd window) {
  Window* w = find(window);
  return w != nullptr ? windowText(w) : std::string();
}

bool setDlgItemText(NyHwnd dialog, int id, const char* text) {
  Window* c = item(dialog, id);
  if (c == nullptr) return false;
  setText(c, text);
  return true;
}

std::string getDlgItemText(NyHwnd dialog, int id) {
  Window* c = item(dialog, id);
  return c != nullptr ? controlText(c) : std::string();
}

int getDlgItemText(NyHwnd dialog, int id, char* buf, int size) {
  if (buf == nullptr || size <= 0) return 0;
  std::string text = getDlgItemText(dialog, id);
  return static_cast<int>(copyCp932(text, buf, static_cast<size_t>(size)));
}

bool setDlgItemInt(NyHwnd dialog, int id, int32_t value, bool isSigned) {
  char buf[16];
  if (isSigned) {
    std::snprintf(buf, sizeof buf, "%d", value);
  } else {
    std::snprintf(buf, sizeof buf, "%u", static_cast<uint32_t>(value));
  }
  return setDlgItemText(dialog, id, buf);
}

int64_t getDlgItemInt(NyHwnd dialog, int id, bool* translated, bool isSigned) {
  if (translated != nullptr) *translated = false;
  Window* c = item(dialog, id);
  if (c == nullptr) return 0;
  std::string text = controlText(c);
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (isSigned && i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  int64_t value = 0;
  size_t digits = 0;
  const int64_t limit = isSigned ? (negative ? 2147483648LL : 2147483647LL) : 4294967295LL;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    value = value * 10 + (text[i] - '0');
    if (value > limit) return 0;
  }
  if (digits == 0) return 0;
  if (translated != nullptr) *translated = true;
  return negative ? -value : value;
}

bool checkDlgButton(NyHwnd dialog, int id, int state) {
  Window* c = item(dialog, id);
  if (c == nullptr) return false;
  c->checked = state != 0 ? 1 : 0;
  return true;
}

int isDlgButtonChecked(NyHwnd dialog, int id) {
  Window* c = item(dialog, id);
  return c != nullptr ? c->checked : 0;
}

bool checkRadioButton(NyHwnd dialog, int first, int last, int id) {
  Window* d = findDialog(dialog);
  if (d == nullptr) return false;
  for (auto& c : d->controls) {
    if (c->id >= first && c->id <= last) c->checked = (c->id == id) ? 1 : 0;
  }
  return true;
}

bool enableWindow(NyHwnd window, bool enable) {
  Window* w = find(window);
  if (w == nullptr) return false;
  w->enabled = enable;
  return true;
}

bool isWindowEnabled(NyHwnd window) {
  Window* w = find(window);
  return w != nullptr && w->enabled;
}

bool showWindow(NyHwnd window, bool show) {
  Window* w = find(window);
  if (w == nullptr) return false;
  w->visible = show;
  return true;
}

bool isWindowVisible(NyHwnd window) {
  Window* w = find(window);
  if (w == nullptr || !w->visible) return false;
  return w->type != WinType::Control || w->dialog->visible;
}

bool enableDlgItem(NyHwnd dialog, int id, bool enable) {
  return enableWindow(getDlgItem(dialog, id), enable);
}

bool showDlgItem(NyHwnd dialog, int id, bool show) {
  return showWindow(getDlgItem(dialog, id), show);
}

bool getWindowRect(NyHwnd window, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
  Window* w = find(window);
  if (w == nullptr) return false;
  int32_t x = w->x, y = w->y;
  if (w->type == WinType::Control) {
    x += w->dialog->x;
    y += w->dialog->y;
  }
  if (left != nullptr) *left = x;
  if (top != nullptr) *top = y;
  if (right != nullptr) *right = x + w->cx;
  if (bottom != nullptr) *bottom = y + w->cy;
  return true;
}

bool moveWindow(NyHwnd window, int32_t left, int32_t top) {
  Window* w = find(window);
  if (w == nullptr) return false;
  w->x = left;
  w->y = top;
  return true;
}

bool setTimer(NyHwnd dialog, uintptr_t id, uint32_t ms) {
  Window* d = findDialog(dialog);
  if (d == nullptr) return false;
  // Windows raises intervals below its minimum of about 10 ms; 1 ms means "at once".
  uint32_t due = tickCount() + ms;
  for (Timer& t : d->timers) {
    if (t.id == id) {
      t.interval = ms;
      t.due = due;
      return true;
    }
  }
  d->timers.push_back(Timer{id, ms, due});
  return true;
}

bool killTimer(NyHwnd dialog, uintptr_t id) {
  Window* d = findDialog(dialog);
  if (d == nullptr) return false;
  auto it =
      std::find_if(d->timers.begin(), d->timers.end(), [id](const Timer& t) { return t.id == id; });
  if (it == d->timers.end()) return false;
  d->timers.erase(it);
  return true;
}

void pumpMessages() {
  // Innermost dialog first; handlers may close dialogs, so every step re-checks them.
  std::vector<Window*> open(t_ui.modalStack.rbegin(), t_ui.modalStack.rend());
  for (Window* d : open) {
    if (!live(d)) continue;
    std::vector<PumpHook> hooks;
    hooks.swap(d->pumpHooks);
    std::vector<PumpHook> keep;
    for (PumpHook& h : hooks) {
      OperatedDialog operated(d->handle());
      bool again = live(d) && h.fn(operated);
      if (again) keep.push_back(std::move(h));
    }
    if (live(d)) {
      // Hooks added while running stay after the kept ones.
      keep.insert(keep.end(), std::make_move_iterator(d->pumpHooks.begin()),
                  std::make_move_iterator(d->pumpHooks.end()));
      d->pumpHooks = std::move(keep);
    }
  }
  for (Window* d : open) {
    if (!live(d)) continue;
    uint32_t now = tickCount();
    std::vector<uintptr_t> due;
    for (const Timer& t : d->timers) {
      if (static_cast<int32_t>(now - t.due) >= 0) due.push_back(t.id);
    }
    for (uintptr_t id : due) {
      if (live(d)) fire(d, id);
    }
  }
}

// ---- Combo boxes ---------------------------------------------------------------------------

int comboAddString(NyHwnd combo, const char* text) {
  Window* c = findControl(combo, ControlKind::ComboBox);
  if (c == nullptr) return -1;
  c->items.emplace_back(text != nullptr ? text : "");
  return static_cast<int>(c->items.size()) - 1;
}

bool comboResetContent(NyHwnd combo) {
  Window* c = findControl(combo, ControlKind::ComboBox);
  if (c == nullptr) return false;
  c->items.clear();
  c->curSel = -1;
  return true;
}

bool comboSetCurSel(NyHwnd combo, int index) {
  Window* c = findControl(combo, ControlKind::ComboBox);
  if (c == nullptr) return false;
  if (index < -1 || index >= static_cast<int>(c->items.size())) {
    c->curSel = -1;
    return false;  // CB_ERR, and the selection is cleared as on Windows
  }
  c->curSel = index;
  return true;
}

int comboGetCurSel(NyHwnd combo) {
  Window* c = findControl(combo, ControlKind::ComboBox);
  return c != nullptr ? c->curSel : -1;
}

int comboGetCount(NyHwnd combo) {
  Window* c = findControl(combo, ControlKind::ComboBox);
  return c != nullptr ? static_cast<int>(c->items.size()) : -1;
}

std::string comboGetItemText(NyHwnd combo, int index) {
  Window* c = findControl(combo, ControlKind::ComboBox);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return {};
  return c->items[static_cast<size_t>(index)];
}

// ---- List views -----------------------------------------------------------------------------

uint32_t listViewGetExtendedStyle(NyHwnd list) {
  Window* c = findControl(list, ControlKind::ListView);
  return c != nullptr ? c->exStyle : 0;
}

bool listViewSetExtendedStyle(NyHwnd list, uint32_t mask, uint32_t style) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr) return false;
  if (mask == 0) mask = 0xFFFFFFFFu;
  c->exStyle = (c->exStyle & ~mask) | (style & mask);
  return true;
}

int listViewGetColumnCount(NyHwnd list) {
  Window* c = findControl(list, ControlKind::ListView);
  return c != nullptr ? static_cast<int>(c->columns.size()) : -1;
}

bool listViewDeleteColumn(NyHwnd list, int column) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr || column < 0 || column >= static_cast<int>(c->columns.size())) return false;
  c->columns.erase(c->columns.begin() + column);
  for (ListRow& r : c->rows) {
    if (column < static_cast<int>(r.cells.size())) r.cells.erase(r.cells.begin() + column);
  }
  return true;
}

int listViewInsertColumn(NyHwnd list, int column, const char* text, int width, int format) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr || column < 0) return -1;
  int at = std::min(column, static_cast<int>(c->columns.size()));
  c->columns.insert(c->columns.begin() + at,
                    ListColumn{text != nullptr ? text : "", std::max(width, 0), format});
  for (ListRow& r : c->rows) {
    if (at <= static_cast<int>(r.cells.size())) r.cells.insert(r.cells.begin() + at, "");
  }
  return at;
}

bool listViewSetColumnWidth(NyHwnd list, int column, int width) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr || column < 0 || column >= static_cast<int>(c->columns.size())) return false;
  c->columns[static_cast<size_t>(column)].width = std::max(width, 0);
  return true;
}

int listViewGetColumnWidth(NyHwnd list, int column) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr || column < 0 || column >= static_cast<int>(c->columns.size())) return -1;
  return c->columns[static_cast<size_t>(column)].width;
}

std::string listViewGetColumnText(NyHwnd list, int column) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr || column < 0 || column >= static_cast<int>(c->columns.size())) return {};
  return c->columns[static_cast<size_t>(column)].text;
}

bool listViewDeleteAllItems(NyHwnd list) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr) return false;
  c->rows.clear();
  return true;
}

int listViewInsertItem(NyHwnd list, int row, const char* text) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr || row < 0) return -1;
  int at = std::min(row, static_cast<int>(c->rows.size()));
  ListRow r;
  r.cells.resize(std::max<size_t>(c->columns.size(), 1));
  r.cells[0] = text != nullptr ? text : "";
  c->rows.insert(c->rows.begin() + at, std::move(r));
  return at;
}

bool listViewSetItemText(NyHwnd list, int row, int column, const char* text) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr || row < 0 || row >= static_cast<int>(c->rows.size()) || column < 0 ||
      column >= std::max(static_cast<int>(c->columns.size()), 1)) {
    return false;
  }
  ListRow& r = c->rows[static_cast<size_t>(row)];
  if (static_cast<size_t>(column) >= r.cells.size())
    r.cells.resize(static_cast<size_t>(column) + 1);
  r.cells[static_cast<size_t>(column)] = text != nullptr ? text : "";
  return true;
}

std::string listViewGetItemText(NyHwnd list, int row, int column) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr || row < 0 || row >= static_cast<int>(c->rows.size()) || column < 0) return {};
  const ListRow& r = c->rows[static_cast<size_t>(row)];
  return static_cast<size_t>(column) < r.cells.size() ? r.cells[static_cast<size_t>(column)]
                                                      : std::string();
}

int listViewGetItemCount(NyHwnd list) {
  Window* c = findControl(list, ControlKind::ListView);
  return c != nullptr ? static_cast<int>(c->rows.size()) : -1;
}

int listViewHitTest(NyHwnd list, NyPoint point) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr || point.x < 0 || point.y < kListHeaderHeight) return -1;
  int columnsWidth = 0;
  for (const ListColumn& col : c->columns) columnsWidth += col.width;
  if (point.x >= columnsWidth || point.x >= c->cx) return -1;
  int row = (point.y - kListHeaderHeight) / kListRowHeight;
  return row < static_cast<int>(c->rows.size()) ? row : -1;
}

bool listViewSelectItem(NyHwnd list, int row, bool focus) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr || row < -1 || row >= static_cast<int>(c->rows.size())) return false;
  for (size_t i = 0; i < c->rows.size(); ++i) {
    bool on = static_cast<int>(i) == row;
    c->rows[i].selected = on;
    if (focus) c->rows[i].focused = on;
  }
  return true;
}

int listViewGetSelectedItem(NyHwnd list) {
  Window* c = findControl(list, ControlKind::ListView);
  if (c == nullptr) return -1;
  for (size_t i = 0; i < c->rows.size(); ++i) {
    if (c->rows[i].selected) return static_cast<int>(i);
  }
  return -1;
}

int listViewGetStringWidth(NyHwnd list, const char* text) {
  if (findControl(list, ControlKind::ListView) == nullptr || text == nullptr) return 0;
  return textWidth(text);
}

int listViewRowCenterY(NyHwnd list, int row) {
  if (findControl(list, ControlKind::ListView) == nullptr) return -1;
  return kListHeaderHeight + row * kListRowHeight + kListRowHeight / 2;
}

// ---- IP address control -----------------------------------------------------------------------

bool ipAddressSet(NyHwnd control, uint32_t address) {
  Window* c = findControl(control, ControlKind::IpAddress);
  if (c == nullptr) return false;
  c->ip = address;
  c->ipFields = 4;
  return true;
}

bool ipAddressClear(NyHwnd control) {
  Window* c = findControl(control, ControlKind::IpAddress);
  if (c == nullptr) return false;
  c->ip = 0;
  c->ipFields = 0;
  return true;
}

int ipAddressGet(NyHwnd control, uint32_t* address) {
  Window* c = findControl(control, ControlKind::IpAddress);
  if (c == nullptr) {
    if (address != nullptr) *address = 0;
    return 0;
  }
  if (address != nullptr) *address = c->ip;
  return c->ipFields;
}

// ---- Notices --------------------------------------------------------------------------------

NyHwnd createNotice(NyHwnd owner, const char* text) {
  auto n = std::make_unique<Window>();
  n->type = WinType::Notice;
  n->owner = owner;
  n->text = text != nullptr ? text : "";
  Window* w = n.get();
  registerWindow(w);
  t_ui.notices.push_back(std::move(n));
  return w->handle();
}

bool destroyNotice(NyHwnd notice) {
  auto it =
      std::find_if(t_ui.notices.begin(), t_ui.notices.end(),
                   [notice](const std::unique_ptr<Window>& w) { return w->handle() == notice; });
  if (it == t_ui.notices.end()) return false;
  unregisterWindow(it->get());
  t_ui.notices.erase(it);
  return true;
}

std::string activeNoticeText() {
  return t_ui.notices.empty() ? std::string() : t_ui.notices.back()->text;
}

int openDialogCount() {
  return static_cast<int>(t_ui.modalStack.size());
}

// ---- Operators ---------------------------------------------------------------------------------

void setDialogOperator(std::string_view templateName, DialogOperator op) {
  std::lock_guard lock(operators().mutex);
  if (op) {
    operators().operators.insert_or_assign(std::string(templateName), std::move(op));
  } else if (auto it = operators().operators.find(templateName);
             it != operators().operators.end()) {
    operators().operators.erase(it);
  }
}

void clearDialogOperators() {
  std::lock_guard lock(operators().mutex);
  operators().operators.clear();
}

std::string OperatedDialog::templateName() const {
  Window* d = findDialog(dialog_);
  return d != nullptr ? d->templateName : std::string();
}

std::string OperatedDialog::title() const {
  return getWindowText(dialog_);
}

bool OperatedDialog::ended() const {
  return !live(findDialog(dialog_));
}

intptr_t OperatedDialog::result() const {
  Window* d = findDialog(dialog_);
  return d != nullptr ? d->result : 0;
}

bool OperatedDialog::hidden() const {
  return !isWindowVisible(dialog_);
}

NyHwnd OperatedDialog::focus() const {
  return focusWindow();
}

bool OperatedDialog::exists(int id) const {
  return item(dialog_, id) != nullptr;
}

bool OperatedDialog::enabled(int id) const {
  return isWindowEnabled(getDlgItem(dialog_, id));
}

bool OperatedDialog::visible(int id) const {
  return isWindowVisible(getDlgItem(dialog_, id));
}

int OperatedDialog::checked(int id) const {
  return isDlgButtonChecked(dialog_, id);
}

std::string OperatedDialog::text(int id) const {
  return getDlgItemText(dialog_, id);
}

std::string OperatedDialog::textUtf8(int id) const {
  return utf8FromCp932(text(id));
}

bool OperatedDialog::setText(int id, std::string_view cp932) {
  Window* c = usable(dialog_, id);
  if (c == nullptr || c->kind != ControlKind::Edit || (c->flags & kReadOnly) != 0) return false;
  if ((c->flags & kNumber) != 0 &&
      !std::all_of(cp932.begin(), cp932.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
    return false;  // a number field takes digits only
  }
  c->text = std::string(cp932);
  send(c->dialog, kMsgCommand, makeCommandParam(id, kEnChange),
       reinterpret_cast<intptr_t>(c->handle()));
  return true;
}

bool OperatedDialog::setTextUtf8(int id, std::string_view utf8) {
  return setText(id, cp932FromUtf8(utf8));
}

bool OperatedDialog::click(int id) {
  Window* c = usable(dialog_, id);
  if (c == nullptr) return false;
  switch (c->kind) {
    case ControlKind::Button:
      break;
    case ControlKind::CheckBox:
      c->checked = c->checked != 0 ? 0 : 1;
      break;
    case ControlKind::Radio:
      for (auto& other : c->dialog->controls) {
        if (other->kind == ControlKind::Radio && other->radioGroup == c->radioGroup) {
          other->checked = 0;
        }
      }
      c->checked = 1;
      break;
    default:
      return false;
  }
  t_ui.focus = c->handle();
  sendClick(c->dialog, c);
  return true;
}

bool OperatedDialog::selectCombo(int id, int index) {
  Window* c = usable(dialog_, id);
  if (c == nullptr || c->kind != ControlKind::ComboBox || index < 0 ||
      index >= static_cast<int>(c->items.size())) {
    return false;
  }
  c->curSel = index;
  send(c->dialog, kMsgCommand, makeCommandParam(id, kCbnSelChange),
       reinterpret_cast<intptr_t>(c->handle()));
  return true;
}

int OperatedDialog::comboCount(int id) const {
  return comboGetCount(getDlgItem(dialog_, id));
}
int OperatedDialog::comboSelection(int id) const {
  return comboGetCurSel(getDlgItem(dialog_, id));
}
std::string OperatedDialog::comboText(int id, int index) const {
  return comboGetItemText(getDlgItem(dialog_, id), index);
}

bool OperatedDialog::clickListAt(int id, int y, bool doubleClick) {
  Window* c = usable(dialog_, id);
  if (c == nullptr || c->kind != ControlKind::ListView) return false;
  NyPoint point{kListClickX, y};
  int row = listViewHitTest(c->handle(), point);
  // The list's own mouse handling: the row under the pointer alone becomes selected; a
  // click on no row clears the selection.
  listViewSelectItem(c->handle(), row, row >= 0);
  t_ui.focus = c->handle();
  Window* dlg = c->dialog;
  ListItemActivate click{{c->handle(), id, kNmClick}, row, 0, point};
  send(dlg, kMsgNotify, static_cast<uintptr_t>(id), reinterpret_cast<intptr_t>(&click));
  if (doubleClick && live(dlg) && find(c->handle()) == c) {
    ListItemActivate dbl{
        {c->handle(), id, kNmDblClk}, listViewHitTest(c->handle(), point), 0, point};
    send(dlg, kMsgNotify, static_cast<uintptr_t>(id), reinterpret_cast<intptr_t>(&dbl));
  }
  return true;
}

bool OperatedDialog::clickListRow(int id, int row) {
  return clickListAt(id, listViewRowCenterY(getDlgItem(dialog_, id), row), false);
}

bool OperatedDialog::doubleClickListRow(int id, int row) {
  return clickListAt(id, listViewRowCenterY(getDlgItem(dialog_, id), row), true);
}

int OperatedDialog::listRows(int id) const {
  return listViewGetItemCount(getDlgItem(dialog_, id));
}
int OperatedDialog::listColumns(int id) const {
  return listViewGetColumnCount(getDlgItem(dialog_, id));
}
int OperatedDialog::listColumnWidth(int id, int column) const {
  return listViewGetColumnWidth(getDlgItem(dialog_, id), column);
}
std::string OperatedDialog::listColumnText(int id, int column) const {
  return listViewGetColumnText(getDlgItem(dialog_, id), column);
}
std::string OperatedDialog::listText(int id, int row, int column) const {
  return listViewGetItemText(getDlgItem(dialog_, id), row, column);
}
int OperatedDialog::listSelection(int id) const {
  return listViewGetSelectedItem(getDlgItem(dialog_, id));
}

bool OperatedDialog::setIpAddress(int id, uint32_t address) {
  Window* c = usable(dialog_, id);
  if (c == nullptr || c->kind != ControlKind::IpAddress) return false;
  c->ip = address;
  c->ipFields = 4;
  return true;
}

uint32_t OperatedDialog::ipAddress(int id) const {
  uint32_t a = 0;
  ipAddressGet(getDlgItem(dialog_, id), &a);
  return a;
}

int OperatedDialog::ipAddressFields(int id) const {
  return ipAddressGet(getDlgItem(dialog_, id), nullptr);
}

bool OperatedDialog::timerActive(uintptr_t id) const {
  Window* d = findDialog(dialog_);
  return d != nullptr && std::any_of(d->timers.begin(), d->timers.end(),
                                     [id](const Timer& t) { return t.id == id; });
}

uint32_t OperatedDialog::timerInterval(uintptr_t id) const {
  Window* d = findDialog(dialog_);
  if (d == nullptr) return 0;
  for (const Timer& t : d->timers) {
    if (t.id == id) return t.interval;
  }
  return 0;
}

bool OperatedDialog::fireTimer(uintptr_t id) {
  Window* d = findDialog(dialog_);
  if (!live(d) || !timerActive(id)) return false;
  fire(d, id);
  return true;
}

int OperatedDialog::runTimers(int maxFirings) {
  Window* d = findDialog(dialog_);
  return d != nullptr ? runDialogTimers(d, maxFirings) : 0;
}

bool OperatedDialog::cancel() {
  return pressCancel(findDialog(dialog_));
}

void OperatedDialog::onPump(std::function<bool(OperatedDialog&)> hook) {
  Window* d = findDialog(dialog_);
  if (live(d) && hook) d->pumpHooks.push_back(PumpHook{std::move(hook)});
}

}  // namespace nypr::platform
