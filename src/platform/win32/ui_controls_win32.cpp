// Combo boxes, report-view lists and IP address controls of the real dialogs, through
// their window messages with wide-character texts.
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/ui.h"
#include "platform/win32/ui_wide_win32.h"

namespace nypr::platform {
namespace {

using namespace win32ui;

bool hasClass(NyHwnd window, const wchar_t* name) {
  wchar_t actual[32] = {};
  return window != nullptr && IsWindow(hwnd(window)) &&
         GetClassNameW(hwnd(window), actual, 32) > 0 && lstrcmpiW(actual, name) == 0;
}

bool isCombo(NyHwnd window) {
  return hasClass(window, WC_COMBOBOXW);
}
bool isList(NyHwnd window) {
  return hasClass(window, WC_LISTVIEWW);
}
bool isIpAddress(NyHwnd window) {
  return hasClass(window, WC_IPADDRESSW);
}

LRESULT send(NyHwnd window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(hwnd(window), message, wParam, lParam);
}

// Reads a text through a message that fills an LVITEMW/LVCOLUMNW buffer, growing the
// buffer until the text fits.
template <typename Fill>
std::string readGrowing(Fill fill) {
  for (size_t size = 128; size <= 32768; size *= 2) {
    std::vector<wchar_t> buf(size, L'\0');
    fill(buf.data(), static_cast<int>(size));
    const std::wstring text(buf.data());
    if (text.size() + 1 < size) return cp932FromWide(text);
  }
  return {};
}

}  // namespace

// ---- Combo boxes -----------------------------------------------------------------------------

int comboAddString(NyHwnd combo, const char* text) {
  if (!isCombo(combo)) return -1;
  const std::wstring wide = wideFromCp932(text != nullptr ? text : "");
  const LRESULT index = send(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  return index >= 0 ? static_cast<int>(index) : -1;
}

bool comboResetContent(NyHwnd combo) {
  if (!isCombo(combo)) return false;
  send(combo, CB_RESETCONTENT, 0, 0);
  return true;
}

bool comboSetCurSel(NyHwnd combo, int index) {
  if (!isCombo(combo)) return false;
  const LRESULT result = send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  return index == -1 || result != CB_ERR;
}

int comboGetCurSel(NyHwnd combo) {
  if (!isCombo(combo)) return -1;
  const LRESULT index = send(combo, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

int comboGetCount(NyHwnd combo) {
  return isCombo(combo) ? static_cast<int>(send(combo, CB_GETCOUNT, 0, 0)) : -1;
}

std::string comboGetItemText(NyHwnd combo, int index) {
  if (!isCombo(combo) || index < 0) return {};
  const LRESULT length = send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  send(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return cp932FromWide(text);
}

// ---- List views ------------------------------------------------------------------------------

uint32_t listViewGetExtendedStyle(NyHwnd list) {
  return isList(list) ? static_cast<uint32_t>(send(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)) : 0;
}

bool listViewSetExtendedStyle(NyHwnd list, uint32_t mask, uint32_t style) {
  if (!isList(list)) return false;
  send(list, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style);
  return true;
}

int listViewGetColumnCount(NyHwnd list) {
  if (!isList(list)) return -1;
  HWND header = reinterpret_cast<HWND>(send(list, LVM_GETHEADER, 0, 0));
  return header != nullptr ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

bool listViewDeleteColumn(NyHwnd list, int column) {
  if (!isList(list) || column < 0 || column >= listViewGetColumnCount(list)) return false;
  return send(list, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0) != FALSE;
}

int listViewInsertColumn(NyHwnd list, int column, const char* text, int width, int format) {
  if (!isList(list) || column < 0) return -1;
  std::wstring wide = wideFromCp932(text != nullptr ? text : "");
  LVCOLUMNW col{};
  col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  col.fmt = format;
  col.cx = width > 0 ? width : 0;
  col.pszText = wide.data();
  const LRESULT at =
      send(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
  return at >= 0 ? static_cast<int>(at) : -1;
}

bool listViewSetColumnWidth(NyHwnd list, int column, int width) {
  if (!isList(list) || column < 0 || column >= listViewGetColumnCount(list)) return false;
  return send(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
              MAKELPARAM(width > 0 ? width : 0, 0)) != FALSE;
}

int listViewGetColumnWidth(NyHwnd list, int column) {
  if (!isList(list) || column < 0 || column >= listViewGetColumnCount(list)) return -1;
  return static_cast<int>(send(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

std::string listViewGetColumnText(NyHwnd list, int column) {
  if (!isList(list) || column < 0 || column >= listViewGetColumnCount(list)) return {};
  return readGrowing([&](wchar_t* buf, int size) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buf;
    col.cchTextMax = size;
    send(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
  });
}

bool listViewDeleteAllItems(NyHwnd list) {
  return isList(list) && send(list, LVM_DELETEALLITEMS, 0, 0) != FALSE;
}

int listViewInsertItem(NyHwnd list, int row, const char* text) {
  if (!isList(list) || row < 0) return -1;
  std::wstring wide = wideFromCp932(text != nullptr ? text : "");
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = wide.data();
  const LRESULT at = send(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return at >= 0 ? static_cast<int>(at) : -1;
}

bool listViewSetItemText(NyHwnd list, int row, int column, const char* text) {
  if (!isList(list) || row < 0 || row >= listViewGetItemCount(list) || column < 0) return false;
  std::wstring wide = wideFromCp932(text != nullptr ? text : "");
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  return send(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) !=
         FALSE;
}

std::string listViewGetItemText(NyHwnd list, int row, int column) {
  if (!isList(list) || row < 0 || row >= listViewGetItemCount(list) || column < 0) return {};
  return readGrowing([&](wchar_t* buf, int size) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = size;
    send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  });
}

int listViewGetItemCount(NyHwnd list) {
  return isList(list) ? static_cast<int>(send(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

int listViewHitTest(NyHwnd list, NyPoint point) {
  if (!isList(list)) return -1;
  LVHITTESTINFO hit{};
  hit.pt = POINT{point.x, point.y};
  const LRESULT row = send(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  return (row >= 0 && (hit.flags & LVHT_ONITEM) != 0) ? static_cast<int>(row) : -1;
}

bool listViewSelectItem(NyHwnd list, int row, bool focus) {
  if (!isList(list) || row < -1 || row >= listViewGetItemCount(list)) return false;
  const UINT mask = LVIS_SELECTED | (focus ? LVIS_FOCUSED : 0u);
  LVITEMW clear{};
  clear.stateMask = mask;
  clear.state = 0;
  send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  if (row < 0) return true;
  LVITEMW set{};
  set.stateMask = mask;
  set.state = mask;
  return send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&set)) !=
         FALSE;
}

int listViewGetSelectedItem(NyHwnd list) {
  if (!isList(list)) return -1;
  return static_cast<int>(send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int listViewGetStringWidth(NyHwnd list, const char* text) {
  if (!isList(list) || text == nullptr) return 0;
  const std::wstring wide = wideFromCp932(text);
  return static_cast<int>(
      send(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int listViewRowCenterY(NyHwnd list, int row) {
  if (!isList(list)) return -1;
  RECT r{};
  r.left = LVIR_BOUNDS;
  if (!send(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)))
    return -1;
  return (r.top + r.bottom) / 2;
}

// ---- IP address control ----------------------------------------------------------------------

bool ipAddressSet(NyHwnd control, uint32_t address) {
  if (!isIpAddress(control)) return false;
  send(control, IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
  return true;
}

bool ipAddressClear(NyHwnd control) {
  if (!isIpAddress(control)) return false;
  send(control, IPM_CLEARADDRESS, 0, 0);
  return true;
}

int ipAddressGet(NyHwnd control, uint32_t* address) {
  DWORD value = 0;
  const int fields =
      isIpAddress(control)
          ? static_cast<int>(send(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value)))
          : 0;
  if (address != nullptr) *address = static_cast<uint32_t>(value);
  return fields;
}

}  // namespace nypr::platform
