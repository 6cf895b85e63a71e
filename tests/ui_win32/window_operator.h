// Drives the real dialogs of this process as a user would, from a thread of its own: the
// dialog under test runs its modal loop on the test's thread, and the operator finds each
// dialog by its caption and works it with window messages. Actions that may open another
// dialog are posted; reads are sent and wait for the dialog's thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace nypr::test {

class WindowOperator {
 public:
  // Starts `script` on the operator's thread.
  explicit WindowOperator(std::function<void(WindowOperator&)> script);
  // Waits for the script to finish.
  ~WindowOperator();
  WindowOperator(const WindowOperator&) = delete;
  WindowOperator& operator=(const WindowOperator&) = delete;

  // The dialog of this process with that caption (UTF-8), waiting up to 10 s; null when
  // none appears.
  HWND waitDialog(const std::string& captionUtf8);
  // Waits up to 10 s until `condition` holds.
  bool waitFor(const std::function<bool()>& condition);
  bool waitClosed(HWND dialog);

  std::string text(HWND dialog, int id);  // UTF-8
  bool enabled(HWND dialog, int id);
  bool checked(HWND dialog, int id);
  // The id of the control with the focus on the dialog's thread (0 for none).
  int focusedId(HWND dialog);
  // Types into an edit (WM_SETTEXT; the edit tells its dialog with EN_CHANGE).
  void type(HWND dialog, int id, const std::string& utf8);
  void click(HWND dialog, int id);  // BM_CLICK
  void selectCombo(HWND dialog, int id, int index);
  int comboCount(HWND dialog, int id);
  // Clicks a list row's label with the mouse.
  void clickListRow(HWND dialog, int id, int row);
  int listRows(HWND dialog, int id);
  std::string listText(HWND dialog, int id, int row, int column);
  void setIpAddress(HWND dialog, int id, uint32_t address);
  uint32_t ipAddress(HWND dialog, int id);
  // The timer message as the system posts it.
  void fireTimer(HWND dialog, uintptr_t id);
  // When NYPR_DIALOG_SHOTS names a folder (scripts/dialog-shots), the dialog as it is now,
  // drawn whole, into <folder>/<name>.bmp; otherwise nothing.
  void shot(HWND dialog, const std::string& name);

 private:
  std::thread thread_;
};

}  // namespace nypr::test
