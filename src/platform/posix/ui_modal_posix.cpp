// Headless modal loop and timers: a dialog is built from its template, initialised,
// handed to its operator and then goes on only by itself until it ends; timers fire in
// due order through platform/clock.h, so an injected clock never waits.
#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/posix/ui_headless_posix.h"
#include "resources/dialog_templates.h"

namespace nypr::platform {
namespace {

using namespace headless;

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

Window* firstFocusable(Window* dlg) {
  for (auto& c : dlg->controls) {
    if (c->enabled && c->visible && c->kind != ControlKind::Static &&
        c->kind != ControlKind::GroupBox) {
      return c.get();
    }
  }
  return nullptr;
}

}  // namespace

namespace headless {

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

// Escape: the cancel command, unless the dialog's cancel button is there but unusable.
bool pressCancel(Window* dlg) {
  if (!live(dlg)) return false;
  Window* cancel = itemOf(dlg, kIdCancel);
  if (cancel != nullptr && (!cancel->enabled || !cancel->visible)) return false;
  send(dlg, kMsgCommand, makeCommandParam(kIdCancel, kBnClicked),
       cancel != nullptr ? reinterpret_cast<intptr_t>(cancel->handle()) : 0);
  return true;
}

}  // namespace headless

using namespace headless;

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
  threadUi().modalStack.push_back(d);
  NyHwnd previousFocus = focusWindow();
  threadUi().focus = d->handle();

  intptr_t initResult = send(d, kMsgInitDialog, 0, param);
  if (!d->ended && initResult != 0 && threadUi().focus == d->handle()) {
    if (Window* first = firstFocusable(d)) threadUi().focus = first->handle();
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
  threadUi().modalStack.erase(
      std::find(threadUi().modalStack.begin(), threadUi().modalStack.end(), d));
  bool focusInside = false;
  if (Window* f = find(threadUi().focus)) focusInside = (f == d || f->dialog == d);
  for (auto& c : d->controls) unregisterWindow(c.get());
  unregisterWindow(d);
  if (focusInside || threadUi().focus == nullptr) {
    threadUi().focus = find(previousFocus) != nullptr ? previousFocus : nullptr;
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
  std::vector<Window*> open(threadUi().modalStack.rbegin(), threadUi().modalStack.rend());
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

int openDialogCount() {
  return static_cast<int>(threadUi().modalStack.size());
}

}  // namespace nypr::platform
