// Headless operators: the registry of operators per template name and the user's actions
// on an operated dialog (typing, clicks, combo and list picks, timers, Escape).
#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "platform/posix/ui_headless_posix.h"
#include "platform/text.h"

namespace nypr::platform {
namespace {

using namespace headless;

struct OperatorRegistry {
  std::mutex mutex;
  std::map<std::string, DialogOperator, std::less<>> operators;
};

OperatorRegistry& operators() {
  static OperatorRegistry registry;
  return registry;
}

void sendClick(Window* dlg, Window* control) {
  send(dlg, kMsgCommand, makeCommandParam(control->id, kBnClicked),
       reinterpret_cast<intptr_t>(control->handle()));
}

// A user action on control `id` of a live dialog: the control must be usable.
Window* usable(NyHwnd dialog, int id) {
  Window* dlg = findDialog(dialog);
  if (!live(dlg)) return nullptr;
  Window* c = itemOf(dlg, id);
  if (c == nullptr || !c->enabled || !c->visible || !dlg->enabled) return nullptr;
  return c;
}

}  // namespace

namespace headless {

DialogOperator operatorFor(const std::string& name) {
  std::lock_guard lock(operators().mutex);
  auto it = operators().operators.find(name);
  return it == operators().operators.end() ? DialogOperator() : it->second;
}

}  // namespace headless

using namespace headless;

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
  threadUi().focus = c->handle();
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
  threadUi().focus = c->handle();
  Window* dlg = c->dialog;
  ListItemActivate click{{c->handle(), id, kNmClick}, row, 0, 0, 0, 0, point, 0, 0};
  send(dlg, kMsgNotify, static_cast<uintptr_t>(id), reinterpret_cast<intptr_t>(&click));
  if (doubleClick && live(dlg) && find(c->handle()) == c) {
    ListItemActivate dbl{
        {c->handle(), id, kNmDblClk}, listViewHitTest(c->handle(), point), 0, 0, 0, 0, point, 0, 0};
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

bool OperatedDialog::cancel() {
  return pressCancel(findDialog(dialog_));
}

void OperatedDialog::onPump(std::function<bool(OperatedDialog&)> hook) {
  Window* d = findDialog(dialog_);
  if (live(d) && hook) d->pumpHooks.push_back(PumpHook{std::move(hook)});
}
}  // namespace nypr::platform
