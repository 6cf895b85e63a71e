// Real dialogs from the module's resources, measured and photographed.
//
//   dialog_text_fit            measures every label, button, check box, radio button and
//                              frame text of every dialog in the dialog's own font and
//                              fails (exit 1) when a text does not fit its control, or
//                              when a string of the string table reads differently
//   dialog_text_fit --shots D  also writes each dialog as D/<template>.bmp
//
// The dialogs are created from the resources linked into this program, exactly as the
// module's resources are generated, and are shown as their templates make them.
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/dialog_templates.h"
#include "resources/string_table.h"
#include "resources/strings.h"
#include "wide_text.h"
#include "window_shot.h"

namespace {

using nypr::platform::ControlKind;
using nypr::platform::ControlTemplate;
using nypr::platform::DialogTemplate;
using nypr::test::saveWindowShot;
using nypr::test::utf8;
using nypr::test::wide;

INT_PTR CALLBACK quietProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// Room a control leaves for its text, in pixels.
int textRoom(HWND control, const ControlTemplate& c, HDC dc) {
  RECT r{};
  GetClientRect(control, &r);
  const int width = r.right - r.left;
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  switch (c.kind) {
    case ControlKind::Button:
      return width - 2 * GetSystemMetrics(SM_CXEDGE) - 4;  // frame and focus rectangle
    case ControlKind::CheckBox:
    case ControlKind::Radio:
      return width - GetSystemMetrics(SM_CXMENUCHECK) - tm.tmAveCharWidth / 2;
    case ControlKind::GroupBox:
      return width - 2 * tm.tmAveCharWidth;
    default:
      return width;
  }
}

// Texts the dialogs set from the string table when they open: the wait message, the
// motor test's buttons, the memory check's label.
void fillRuntimeTexts(HWND dialog, const DialogTemplate& t) {
  struct RuntimeText {
    const char* dialog;
    int id;
    uint32_t stringId;
  };
  constexpr RuntimeText kTexts[] = {
      {"DIALOG_WAIT_FINISH", 6926, 60901},
      {"DIALOG_MOTO_TEST", 6013, 60027},
      {"DIALOG_MOTO_TEST", 6014, 60029},
      {"DIALOG_KT36R_TEST", 6211, 60001},
  };
  for (const RuntimeText& r : kTexts) {
    if (std::string(t.name) == r.dialog) {
      SetDlgItemTextW(dialog, r.id, wide(nypr::moduleStringUtf8(r.stringId)).c_str());
    }
  }
}

int checkDialog(HWND dialog, const DialogTemplate& t) {
  int failures = 0;
  for (const ControlTemplate& c : t.controls) {
    if (c.kind != ControlKind::Button && c.kind != ControlKind::CheckBox &&
        c.kind != ControlKind::Radio && c.kind != ControlKind::Static &&
        c.kind != ControlKind::GroupBox) {
      continue;
    }
    // Labels without an id are found by their place.
    HWND control = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      RECT want{c.x, c.y, c.x + c.cx, c.y + c.cy};
      MapDialogRect(dialog, &want);
      RECT have{};
      GetWindowRect(child, &have);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&have), 2);
      if (have.left == want.left && have.top == want.top &&
          (c.id == nypr::platform::kStaticId || GetDlgCtrlID(child) == c.id)) {
        control = child;
        break;
      }
    }
    if (control == nullptr) {
      std::printf("%s %d: control not found\n", t.name, c.id);
      ++failures;
      continue;
    }
    wchar_t buf[512] = {};
    GetWindowTextW(control, buf, 512);
    const std::wstring text = buf;
    if (text.empty()) continue;
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    const int room = textRoom(control, c, dc);
    RECT client{};
    GetClientRect(control, &client);
    bool fits = true;
    int widest = 0;
    if (c.kind == ControlKind::Static) {
      // What the label draws: wrapped at its width, it must not need more height.
      RECT need{0, 0, room, 0};
      DrawTextW(dc, text.c_str(), -1, &need,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
      widest = need.right;
      fits = need.right <= room && need.bottom <= client.bottom;
      if (!fits) {
        std::printf("%s %d \"%s\": wraps to %ldx%ld px, has %dx%ld\n", t.name, c.id,
                    utf8(text).c_str(), need.right, need.bottom, room, client.bottom);
        ++failures;
        fits = true;  // reported
      }
    } else {
      size_t start = 0;
      while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str() + start, static_cast<int>(end - start), &size);
        if (size.cx > widest) widest = size.cx;
        start = end + 1;
      }
      fits = widest <= room;
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (!fits) {
      std::printf("%s %d \"%s\": needs %d px, has %d\n", t.name, c.id, utf8(text).c_str(), widest,
                  room);
      ++failures;
    }
  }
  return failures;
}

void pump() {
  MSG msg;
  for (int i = 0; i < 20; ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(20);
  }
}

// Every entry of the string table as the resources hand it out.
int checkStrings() {
  int failures = 0;
  for (const nypr::ModuleString& entry : nypr::moduleStringTable()) {
    wchar_t buf[1024] = {};
    const int n = LoadStringW(GetModuleHandleW(nullptr), entry.id, buf, 1024);
    if (std::wstring(buf, static_cast<size_t>(n > 0 ? n : 0)) != wide(entry.utf8)) {
      std::printf("string %u differs in the resources\n", entry.id);
      ++failures;
    }
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string shots = argc == 3 && std::string(argv[1]) == "--shots" ? argv[2] : "";
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_INTERNET_CLASSES};
  InitCommonControlsEx(&controls);
  int failures = 0;
  for (const DialogTemplate& t : nypr::dialogTemplates()) {
    HWND dialog =
        CreateDialogParamW(GetModuleHandleW(nullptr), wide(t.name).c_str(), nullptr, quietProc, 0);
    if (dialog == nullptr) {
      std::printf("%s: cannot be created (%lu)\n", t.name, GetLastError());
      ++failures;
      continue;
    }
    fillRuntimeTexts(dialog, t);
    failures += checkDialog(dialog, t);
    if (!shots.empty()) {
      SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
      pump();
      if (!saveWindowShot(dialog, shots + "/" + t.name + ".bmp")) {
        std::printf("%s: screenshot failed\n", t.name);
        ++failures;
      }
    }
    DestroyWindow(dialog);
  }
  std::printf("%d text(s) do not fit\n", failures);
  const int strings = checkStrings();
  failures += strings;
  std::printf("%d string(s) differ\n", strings);
  return failures == 0 ? 0 : 1;
}
