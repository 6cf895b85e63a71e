// Headless controls: dialog items addressed by id (texts, numbers, check marks), combo
// boxes, report-view lists and IP address controls, with Windows' answers for bad input.
#include <algorithm>
#include <string>

#include "platform/posix/ui_headless_posix.h"
#include "platform/text.h"
#include "platform/ui_dialog_int.h"

namespace nypr::platform {
namespace {

using namespace headless;

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

}  // namespace

using namespace headless;

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

int64_t getDlgItemInt(NyHwnd dialog, int id, bool* translated, bool isSigned) {
  if (translated != nullptr) *translated = false;
  Window* c = item(dialog, id);
  return c != nullptr ? parseDialogInt(controlText(c), translated, isSigned) : 0;
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

bool enableDlgItem(NyHwnd dialog, int id, bool enable) {
  return enableWindow(getDlgItem(dialog, id), enable);
}

bool showDlgItem(NyHwnd dialog, int id, bool show) {
  return showWindow(getDlgItem(dialog, id), show);
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

}  // namespace nypr::platform
