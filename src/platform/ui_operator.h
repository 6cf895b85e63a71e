// Operating the headless dialog runtime (POSIX backend only).
//
// Nobody sees or clicks a dialog of the headless runtime. Instead a test, a command-line
// host or any embedding program registers an *operator* per template name. When a modal
// dialog of that template has been initialised, the runtime hands it to the operator,
// which reads and sets texts, clicks, picks list rows and fires timers, all synchronously
// on the dialog's thread (a click runs the dialog procedure before it returns; a nested
// dialog opened by it is operated and closed before the click returns).
//
// When the operator returns (or when there is none) and the dialog is still open, the
// dialog goes on only by itself: a hidden dialog with a running timer keeps firing its
// timers (a wait dialog that ends itself); any other dialog ends as if cancelled (the
// cancel command is sent when its cancel button is usable, and a dialog that still does
// not end is closed with 0). No host ever hangs on a dialog nobody operates.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/ui.h"

namespace nypr::platform {

class OperatedDialog {
 public:
  explicit OperatedDialog(NyHwnd dialog) : dialog_(dialog) {}

  NyHwnd window() const { return dialog_; }
  std::string templateName() const;
  std::string title() const;  // CP932
  bool ended() const;         // endDialog was called (or the dialog is gone)
  intptr_t result() const;    // value given to endDialog
  bool hidden() const;        // the dialog window itself is not visible
  NyHwnd focus() const;       // the window with the focus

  // Controls. Texts are CP932; the *Utf8 variants convert for readable tests.
  bool exists(int id) const;
  bool enabled(int id) const;
  bool visible(int id) const;
  int checked(int id) const;
  std::string text(int id) const;
  std::string textUtf8(int id) const;

  // Actions as a user would do them. They fail (false) on a missing, disabled or hidden
  // control, or once the dialog has ended.
  // Types `text` into an edit (sends kEnChange).
  bool setText(int id, std::string_view cp932);
  bool setTextUtf8(int id, std::string_view utf8);
  // Clicks a button; a check box toggles, a radio button becomes the checked one of its
  // group; then the dialog gets the command.
  bool click(int id);
  // Picks combo box entry `index` (sends kCbnSelChange).
  bool selectCombo(int id, int index);
  int comboCount(int id) const;
  int comboSelection(int id) const;
  std::string comboText(int id, int index) const;
  // List view: clicks (or double-clicks) at column 0 of `row`, or at client height `y`.
  bool clickListRow(int id, int row);
  bool doubleClickListRow(int id, int row);
  bool clickListAt(int id, int y, bool doubleClick = false);
  int listRows(int id) const;
  int listColumns(int id) const;
  int listColumnWidth(int id, int column) const;
  std::string listColumnText(int id, int column) const;
  std::string listText(int id, int row, int column) const;
  int listSelection(int id) const;
  // IP address control.
  bool setIpAddress(int id, uint32_t address);
  uint32_t ipAddress(int id) const;
  int ipAddressFields(int id) const;  // fields that are not blank

  // Timers of this dialog.
  bool timerActive(uintptr_t id) const;
  uint32_t timerInterval(uintptr_t id) const;  // 0 when not active
  // Fires timer `id` now, whatever its due time; false when it is not active.
  bool fireTimer(uintptr_t id);
  // Presses Escape: the cancel command, when the cancel button is missing or usable.
  bool cancel();
  // Calls `hook` at every pumpMessages() while this dialog is open (as when the dialog
  // procedure lets window messages run inside a long action); the hook is dropped when
  // it returns false.
  void onPump(std::function<bool(OperatedDialog&)> hook);

 private:
  NyHwnd dialog_;
};

using DialogOperator = std::function<void(OperatedDialog&)>;

// Registers the operator for dialogs of `templateName` (an empty function removes it).
void setDialogOperator(std::string_view templateName, DialogOperator op);
void clearDialogOperators();

// Modeless notices (the host's wait message) and open dialogs, for tests.
std::string activeNoticeText();  // CP932 text of the newest open notice, "" when none
int openDialogCount();           // modal dialogs open on this thread

// Modeless notices, used by the host's wait message through the window table.
NyHwnd createNotice(NyHwnd owner, const char* text);
bool destroyNotice(NyHwnd notice);

}  // namespace nypr::platform
