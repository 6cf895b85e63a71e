#include "window_operator.h"

#include <commctrl.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "wide_text.h"
#include "window_shot.h"

namespace nypr::test {
namespace {

constexpr auto kPatience = std::chrono::seconds(10);
constexpr UINT kSendTimeoutMs = 10000;

LRESULT sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result);
  return static_cast<LRESULT>(result);
}

struct Search {
  std::wstring caption;
  HWND found = nullptr;
};

BOOL CALLBACK matchCaption(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t caption[256] = {};
  GetWindowTextW(window, caption, 256);
  if (process == GetCurrentProcessId() && search->caption == caption) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

WindowOperator::WindowOperator(std::function<void(WindowOperator&)> script)
    : thread_([this, script = std::move(script)] { script(*this); }) {}

WindowOperator::~WindowOperator() {
  if (thread_.joinable()) thread_.join();
}

bool WindowOperator::waitFor(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + kPatience;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(10);
  }
  return true;
}

HWND WindowOperator::waitDialog(const std::string& captionUtf8) {
  Search search{wide(captionUtf8)};
  waitFor([&] {
    EnumWindows(matchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  });
  return search.found;
}

bool WindowOperator::waitClosed(HWND dialog) {
  return waitFor([&] { return !IsWindow(dialog); });
}

std::string WindowOperator::text(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  const auto length = sendTo(control, WM_GETTEXTLENGTH, 0, 0);
  std::wstring buf(static_cast<size_t>(length) + 1, L'\0');
  const auto got = sendTo(control, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(static_cast<size_t>(got));
  return utf8(buf);
}

bool WindowOperator::enabled(HWND dialog, int id) {
  return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool WindowOperator::checked(HWND dialog, int id) {
  return sendTo(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int WindowOperator::focusedId(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return 0;
  return info.hwndFocus != nullptr ? GetDlgCtrlID(info.hwndFocus) : 0;
}

void WindowOperator::type(HWND dialog, int id, const std::string& text) {
  const std::wstring w = wide(text);
  sendTo(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void WindowOperator::click(HWND dialog, int id) {
  PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void WindowOperator::selectCombo(HWND dialog, int id, int index) {
  HWND combo = GetDlgItem(dialog, id);
  sendTo(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

int WindowOperator::comboCount(HWND dialog, int id) {
  return static_cast<int>(sendTo(GetDlgItem(dialog, id), CB_GETCOUNT, 0, 0));
}

void WindowOperator::clickListRow(HWND dialog, int id, int row) {
  HWND list = GetDlgItem(dialog, id);
  RECT r{};
  r.left = LVIR_LABEL;
  sendTo(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
}

int WindowOperator::listRows(HWND dialog, int id) {
  return static_cast<int>(sendTo(GetDlgItem(dialog, id), LVM_GETITEMCOUNT, 0, 0));
}

std::string WindowOperator::listText(HWND dialog, int id, int row, int column) {
  std::vector<wchar_t> buf(512, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buf.data();
  item.cchTextMax = static_cast<int>(buf.size());
  sendTo(GetDlgItem(dialog, id), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
         reinterpret_cast<LPARAM>(&item));
  return utf8(buf.data());
}

void WindowOperator::setIpAddress(HWND dialog, int id, uint32_t address) {
  sendTo(GetDlgItem(dialog, id), IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
}

uint32_t WindowOperator::ipAddress(HWND dialog, int id) {
  DWORD address = 0;
  sendTo(GetDlgItem(dialog, id), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
  return address;
}

void WindowOperator::fireTimer(HWND dialog, uintptr_t id) {
  PostMessageW(dialog, WM_TIMER, id, 0);
}

void WindowOperator::shot(HWND dialog, const std::string& name) {
  const char* folder = std::getenv("NYPR_DIALOG_SHOTS");
  if (folder == nullptr || *folder == '\0') return;
  // Drawn as the user sees it: on top, its caption active.
  SetForegroundWindow(dialog);
  waitFor([&] { return GetForegroundWindow() == dialog; });
  // The first window of the program may still have its caption drawn inactive.
  sendTo(dialog, WM_NCACTIVATE, TRUE, 0);
  SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  // Drawn by the dialog's thread before the screen is copied.
  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(200);
  saveWindowShot(dialog, std::string(folder) + "/" + name + ".bmp");
}

}  // namespace nypr::test
