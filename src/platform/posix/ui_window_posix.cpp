// Headless windows: the thread's registry of dialogs, controls and notices, their texts,
// state and places, the focus, and the window table through which the host reaches them.
//
// Windows belong to the thread that created them, as on Windows: every record lives in a
// thread-local registry and a handle is only ever used after it was found there, so a
// stale or foreign handle fails cleanly. A handle points to an NyWindowHeader, so the host
// reaches the window through the public window table (nyprkt3600r/window_ops.h).
#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "platform/posix/ui_headless_posix.h"

namespace nypr::platform {
namespace headless {

#ifdef _WIN32
// The Windows test programs run this runtime too. There a C++ thread_local object with a
// destructor is unsafe: the toolchain's emulated TLS frees its storage before the
// destructor runs at thread exit, which then frees the freed maps again. So the thread
// keeps only a pointer, and its windows' records stay until the program ends.
ThreadUi& threadUi() {
  static std::mutex mutex;
  static std::vector<std::unique_ptr<ThreadUi>> all;
  thread_local ThreadUi* mine = nullptr;
  if (mine == nullptr) {
    auto made = std::make_unique<ThreadUi>();
    mine = made.get();
    std::lock_guard lock(mutex);
    all.push_back(std::move(made));
  }
  return *mine;
}
#else
ThreadUi& threadUi() {
  thread_local ThreadUi ui;
  return ui;
}
#endif

namespace {

extern const NyWindowOps kWindowOps;

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

}  // namespace

Window* find(NyHwnd h) {
  if (h == nullptr) return nullptr;
  auto it = threadUi().windows.find(h);
  return it == threadUi().windows.end() ? nullptr : it->second;
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
  threadUi().windows[w->handle()] = w;
}

void unregisterWindow(Window* w) {
  if (threadUi().focus == w->handle()) threadUi().focus = nullptr;
  threadUi().windows.erase(w->handle());
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

namespace {

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
}  // namespace headless

using namespace headless;

// ---- Focus ---------------------------------------------------------------------------------

NyHwnd focusWindow() {
  return find(threadUi().focus) != nullptr ? threadUi().focus : nullptr;
}

NyHwnd setFocus(NyHwnd window) {
  NyHwnd previous = focusWindow();
  if (window == nullptr) {
    threadUi().focus = nullptr;
  } else if (find(window) != nullptr) {
    threadUi().focus = window;
  } else {
    return nullptr;  // SetFocus fails for a foreign window and leaves the focus alone
  }
  return previous;
}

// ---- Windows ---------------------------------------------------------------------------------

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

// ---- Notices --------------------------------------------------------------------------------

NyHwnd createNotice(NyHwnd owner, const char* text) {
  auto n = std::make_unique<Window>();
  n->type = WinType::Notice;
  n->owner = owner;
  n->text = text != nullptr ? text : "";
  Window* w = n.get();
  registerWindow(w);
  threadUi().notices.push_back(std::move(n));
  return w->handle();
}

bool destroyNotice(NyHwnd notice) {
  auto it =
      std::find_if(threadUi().notices.begin(), threadUi().notices.end(),
                   [notice](const std::unique_ptr<Window>& w) { return w->handle() == notice; });
  if (it == threadUi().notices.end()) return false;
  unregisterWindow(it->get());
  threadUi().notices.erase(it);
  return true;
}

std::string activeNoticeText() {
  return threadUi().notices.empty() ? std::string() : threadUi().notices.back()->text;
}

}  // namespace nypr::platform
