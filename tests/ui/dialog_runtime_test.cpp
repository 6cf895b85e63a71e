// The headless dialog runtime: modal loops, operators, timers, nesting and controls.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "fake_clock.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "platform/ui_operator.h"
#include "ui_test_support.h"

namespace nypr::platform {
namespace {

using testing::ReceivedMessage;
using testing::RecordingProc;

class DialogRuntime : public ::testing::Test {
 protected:
  void TearDown() override {
    clearDialogOperators();
    EXPECT_EQ(openDialogCount(), 0);
  }
  test::FakeClock clock_;
};

std::vector<uint32_t> kinds(const RecordingProc& rec) {
  std::vector<uint32_t> out;
  for (const ReceivedMessage& m : rec.messages) out.push_back(m.message);
  return out;
}

// The ids (or codes) of the messages of one kind, in order.
std::vector<int> received(const RecordingProc& rec, uint32_t message,
                          int ReceivedMessage::*field = &ReceivedMessage::id) {
  std::vector<int> out;
  for (const ReceivedMessage& m : rec.messages) {
    if (m.message == message) out.push_back(m.*field);
  }
  return out;
}

TEST_F(DialogRuntime, UnknownTemplateOrProcedureIsRefused) {
  RecordingProc rec;
  EXPECT_EQ(dialogBoxParam("DIALOG_NO_SUCH_THING", nullptr, RecordingProc::proc, 0), -1);
  EXPECT_EQ(dialogBoxParam(nullptr, nullptr, RecordingProc::proc, 0), -1);
  EXPECT_EQ(dialogBoxParam("DIALOG_KT36R", nullptr, nullptr, 0), -1);
  EXPECT_TRUE(rec.messages.empty());
}

TEST_F(DialogRuntime, ControlsAreBuiltFromTheTemplateInCp932) {
  RecordingProc rec;
  bool operated = false;
  setDialogOperator("DIALOG_KT36R", [&](OperatedDialog& d) {
    operated = true;
    EXPECT_EQ(d.templateName(), "DIALOG_KT36R");
    EXPECT_EQ(d.title(), cp932FromUtf8("プリンターKT-3600Rの設定"));
    EXPECT_EQ(d.text(6308), "8");
    EXPECT_EQ(d.textUtf8(6306), "ﾒﾝﾃﾅﾝｽ・ﾙｰﾁﾝ");
    // Hidden and disabled flags: the setup dialog and radio group tests.
    EXPECT_TRUE(d.exists(6941));
    EXPECT_FALSE(d.exists(4242));
    EXPECT_TRUE(d.click(2));
  });
  intptr_t result = dialogBoxParam("DIALOG_KT36R", nullptr, RecordingProc::proc, 0);
  EXPECT_TRUE(operated);
  EXPECT_EQ(result, 0);  // the procedure ignored the cancel: closed with 0
  // The messages around the click: the next test; the opening parameter: the nesting test.
}

TEST_F(DialogRuntime, ClickRunsTheProcedureAndEndDialogStopsTheOperator) {
  RecordingProc rec([](NyHwnd dlg, const ReceivedMessage& m) -> intptr_t {
    if (m.message == kMsgCommand && m.id == kIdOk) endDialog(dlg, 77);
    return 0;
  });
  setDialogOperator("DIALOG_KT36R_IP", [&](OperatedDialog& d) {
    EXPECT_TRUE(d.click(kIdOk));
    EXPECT_TRUE(d.ended());
    EXPECT_EQ(d.result(), 77);
    EXPECT_FALSE(d.click(kIdCancel));  // nothing more reaches an ended dialog
  });
  EXPECT_EQ(dialogBoxParam("DIALOG_KT36R_IP", nullptr, RecordingProc::proc, 0), 77);
  ASSERT_EQ(kinds(rec), (std::vector<uint32_t>{kMsgInitDialog, kMsgCommand, kMsgDestroy}));
  EXPECT_EQ(rec.messages[1].id, kIdOk);
  EXPECT_EQ(rec.messages[1].code, kBnClicked);
  EXPECT_NE(rec.messages[1].param, 0);  // the button's window
}

// Nobody operates: the dialog gets a cancel, whatever it does with it, and a running
// timer of a visible dialog does not keep it open.
TEST_F(DialogRuntime, DialogNobodyOperatesEndsAsCancelled) {
  const struct {
    const char* dialog;
    bool endsOnCancel;
    bool startsTimer;
    intptr_t result;
  } cases[] = {{"DIALOG_KT36R_IP", true, false, 5},
               {"DIALOG_HEAD_EXPIRE", false, false, 0},
               {"DIALOG_DISPLAY", false, true, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dialog);
    RecordingProc rec([&c](NyHwnd dlg, const ReceivedMessage& m) -> intptr_t {
      if (c.startsTimer && m.message == kMsgInitDialog) setTimer(dlg, 2, 1500);
      if (c.endsOnCancel && m.message == kMsgCommand && m.id == kIdCancel) endDialog(dlg, 5);
      return 0;
    });
    uint32_t start = clock_.now();
    EXPECT_EQ(dialogBoxParam(c.dialog, nullptr, RecordingProc::proc, 0), c.result);
    EXPECT_EQ(clock_.now(), start);
    ASSERT_EQ(kinds(rec), (std::vector<uint32_t>{kMsgInitDialog, kMsgCommand, kMsgDestroy}));
    EXPECT_EQ(rec.messages[1].id, kIdCancel);
  }
}

// A hidden dialog (the print wait) needs nobody: its timers run until it ends itself, also
// after its operator has left it; without a timer its usable close button is pressed.
TEST_F(DialogRuntime, HiddenDialogRunsOnItsTimersUntilItEndsItself) {
  const struct {
    bool operated, timer;
    std::vector<uint32_t> ticks;
    intptr_t result;
  } cases[] = {
      {false, true, {400, 700, 1000}, 7}, {true, true, {400, 700, 1000}, 7}, {false, false, {}, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.operated) + std::to_string(c.timer));
    RecordingProc rec([&c](NyHwnd dlg, const ReceivedMessage& m) -> intptr_t {
      static int polls = 0;
      if (m.message == kMsgInitDialog) {
        polls = 0;
        showWindow(dlg, false);
        if (c.timer)
          setTimer(dlg, 1, 400);
        else
          enableDlgItem(dlg, kIdCancel, true);  // the close button is usable
      } else if (m.message == kMsgTimer) {
        killTimer(dlg, 1);
        if (++polls == 3)
          endDialog(dlg, 7);
        else
          setTimer(dlg, 1, 300);  // the next poll comes 300 ms after this one
      } else if (m.message == kMsgCommand && m.id == kIdCancel) {
        endDialog(dlg, 5);
      }
      return 0;
    });
    bool operated = false;
    if (c.operated) {
      setDialogOperator("DIALOG_WAIT_FINISH", [&](OperatedDialog& d) {
        operated = true;
        EXPECT_TRUE(d.hidden());
        EXPECT_EQ(d.timerInterval(1), 400u);
      });
    }
    const uint32_t start = clock_.now();
    EXPECT_EQ(dialogBoxParam("DIALOG_WAIT_FINISH", nullptr, RecordingProc::proc, 0), c.result);
    EXPECT_EQ(operated, c.operated);
    std::vector<uint32_t> ticks;
    for (uint32_t t : rec.timerTicks) ticks.push_back(t - start);
    EXPECT_EQ(ticks, c.ticks);
    clearDialogOperators();
  }
}

TEST_F(DialogRuntime, DialogEndedDuringInitSkipsItsOperator) {
  RecordingProc rec([](NyHwnd dlg, const ReceivedMessage& m) -> intptr_t {
    if (m.message == kMsgInitDialog) endDialog(dlg, 3);
    return 0;
  });
  bool operated = false;
  setDialogOperator("DIALOG_SENSOR", [&](OperatedDialog&) { operated = true; });
  EXPECT_EQ(dialogBoxParam("DIALOG_SENSOR", nullptr, RecordingProc::proc, 0), 3);
  EXPECT_FALSE(operated);
  EXPECT_EQ(kinds(rec), (std::vector<uint32_t>{kMsgInitDialog, kMsgDestroy}));
}

TEST_F(DialogRuntime, TimersFireInDueOrderRepeatAndStopWhenKilled) {
  int secondTimerTicks = 0;
  RecordingProc rec([&](NyHwnd dlg, const ReceivedMessage& m) -> intptr_t {
    if (m.message == kMsgInitDialog) {
      setTimer(dlg, 1, 10);
      setTimer(dlg, 1, 30);  // same id: replaced (restarted at the new interval), not doubled
      setTimer(dlg, 2, 50);
    } else if (m.message == kMsgTimer && m.id == 2 && ++secondTimerTicks == 2) {
      killTimer(dlg, 2);
    }
    return 0;
  });
  uint32_t start = clock_.now();
  setDialogOperator("DIALOG_DISPLAY", [&](OperatedDialog& d) {
    EXPECT_EQ(d.runTimers(6), 6);
    EXPECT_FALSE(d.timerActive(2));
    EXPECT_FALSE(d.fireTimer(2));
    // Firing on demand does not wait.
    uint32_t before = clock_.now();
    EXPECT_TRUE(d.fireTimer(1));
    EXPECT_EQ(clock_.now(), before);
  });
  dialogBoxParam("DIALOG_DISPLAY", nullptr, RecordingProc::proc, 0);
  std::vector<uint32_t> at;
  for (size_t i = 0; i < rec.timerTicks.size(); ++i) at.push_back(rec.timerTicks[i] - start);
  EXPECT_EQ(received(rec, kMsgTimer), (std::vector<int>{1, 2, 1, 1, 2, 1, 1}));
  EXPECT_EQ(at, (std::vector<uint32_t>{30, 50, 60, 90, 100, 120, 120}));
}

// ---- Nesting --------------------------------------------------------------------------------

NyHwnd g_outer = nullptr;
int g_openDuringInner = 0;

intptr_t NYPR_STDCALL innerProc(NyHwnd dlg, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  if (msg == kMsgInitDialog) {
    EXPECT_EQ(lParam, 9);
    g_openDuringInner = openDialogCount();
    EXPECT_EQ(getParent(dlg), g_outer);
  } else if (msg == kMsgCommand && commandId(wParam) == kIdOk) {
    uint32_t a = 0;
    ipAddressGet(getDlgItem(dlg, 6202), &a);
    endDialog(dlg, a == 0xC0A8000Au ? 1 : 2);
  } else if (msg == kMsgCommand && commandId(wParam) == kIdCancel) {
    endDialog(dlg, 0);
  }
  return 0;
}

intptr_t NYPR_STDCALL outerProc(NyHwnd dlg, uint32_t msg, uintptr_t wParam, intptr_t) {
  if (msg == kMsgInitDialog) g_outer = dlg;
  if (msg == kMsgCommand && commandId(wParam) == 6219) {
    intptr_t r = dialogBoxParam("DIALOG_KT36R_IP", dlg, innerProc, 9);
    setDlgItemInt(dlg, 6009, static_cast<int32_t>(r), true);
  } else if (msg == kMsgCommand && commandId(wParam) == kIdOk) {
    endDialog(dlg, 1);
  }
  return 0;
}

TEST_F(DialogRuntime, ModalDialogsNestAndEachHasItsOwnOperator) {
  setDialogOperator("DIALOG_KT36R_IP", [&](OperatedDialog& d) {
    EXPECT_TRUE(d.setIpAddress(6202, 0xC0A8000Au));
    EXPECT_TRUE(d.click(kIdOk));
  });
  setDialogOperator("DIALOG_MAINTENANCE", [&](OperatedDialog& d) {
    EXPECT_TRUE(d.click(6219));
    // The nested dialog was operated and closed before the click returned.
    EXPECT_EQ(d.text(6009), "1");
    EXPECT_EQ(openDialogCount(), 1);
    EXPECT_EQ(d.focus(), getDlgItem(d.window(), 6219));
    setDialogOperator("DIALOG_KT36R_IP", {});
    EXPECT_TRUE(d.click(6219));  // no operator now: the nested dialog is cancelled
    EXPECT_EQ(d.text(6009), "0");
    EXPECT_TRUE(d.click(kIdOk));
  });
  EXPECT_EQ(dialogBoxParam("DIALOG_MAINTENANCE", nullptr, outerProc, 0), 1);
  EXPECT_EQ(g_openDuringInner, 2);
  EXPECT_EQ(focusWindow(), nullptr);
}

int g_outerTicks = 0;

intptr_t NYPR_STDCALL timedOuterProc(NyHwnd dlg, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  if (msg == kMsgInitDialog) setTimer(dlg, 7, 60000);
  if (msg == kMsgTimer && wParam == 7) ++g_outerTicks;
  return outerProc(dlg, msg, wParam, lParam);
}

TEST_F(DialogRuntime, NestedLoopsFireTheOuterTimersOnlyWhenSwitchedOn) {
  setDialogOperator("DIALOG_KT36R_IP", [](OperatedDialog& d) { EXPECT_TRUE(d.click(kIdOk)); });
  setDialogOperator("DIALOG_MAINTENANCE", [](OperatedDialog& d) {
    EXPECT_TRUE(d.click(6219));
    EXPECT_TRUE(d.click(kIdOk));
  });
  for (bool on : {false, true}) {
    setOuterTimersInNestedLoops(on);
    g_outerTicks = 0;
    EXPECT_EQ(dialogBoxParam("DIALOG_MAINTENANCE", nullptr, timedOuterProc, 0), 1);
    EXPECT_EQ(g_outerTicks, on ? 1 : 0);
  }
  setOuterTimersInNestedLoops(false);
}

// ---- Controls -------------------------------------------------------------------------------

TEST_F(DialogRuntime, RadioGroupsCheckBoxesAndUnusableControls) {
  RecordingProc rec([](NyHwnd dlg, const ReceivedMessage& m) -> intptr_t {
    if (m.message == kMsgInitDialog) {
      checkRadioButton(dlg, 6075, 6081, 6075);
      checkRadioButton(dlg, 6082, 6085, 6082);
    }
    return 0;
  });
  setDialogOperator("DIALOG_KT36R_TESTPRT", [](OperatedDialog& d) {
    EXPECT_EQ(d.checked(6075), 1);
    EXPECT_TRUE(d.click(6077));
    EXPECT_EQ(d.checked(6075), 0);
    EXPECT_EQ(d.checked(6077), 1);
    EXPECT_EQ(d.checked(6082), 1);  // another group
    EXPECT_TRUE(d.click(6085));
    EXPECT_EQ(d.checked(6077), 1);
    EXPECT_EQ(d.checked(6082), 0);
    EXPECT_FALSE(d.click(6086));  // disabled
    EXPECT_FALSE(d.click(6087));  // hidden
    EXPECT_EQ(d.checked(6086), 0);
  });
  dialogBoxParam("DIALOG_KT36R_TESTPRT", nullptr, RecordingProc::proc, 0);
  EXPECT_EQ(received(rec, kMsgCommand), (std::vector<int>{6077, 6085, kIdCancel}));

  setDialogOperator("DIALOG_MAINTENANCE", [](OperatedDialog& d) {
    EXPECT_TRUE(d.click(6708));
    EXPECT_EQ(d.checked(6708), 1);
    EXPECT_TRUE(d.click(6708));
    EXPECT_EQ(d.checked(6708), 0);
    // A gap sensor distance is shown but cannot be typed into.
    EXPECT_FALSE(d.setText(6703, "300"));
    EXPECT_FALSE(d.setText(6777, "80"));  // read-only
    EXPECT_TRUE(d.setText(6776, "100"));
  });
  RecordingProc rec2;
  dialogBoxParam("DIALOG_MAINTENANCE", nullptr, RecordingProc::proc, 0);
  EXPECT_EQ(received(rec2, kMsgCommand), (std::vector<int>{6708, 6708, 6776, kIdCancel}));
  EXPECT_EQ(received(rec2, kMsgCommand, &ReceivedMessage::code)[2], kEnChange);

  setDialogOperator("DIALOG_DISPLAY", [](OperatedDialog& d) {
    EXPECT_FALSE(d.setText(6601, "12a"));  // a number field takes digits only
    EXPECT_FALSE(d.setText(6601, "-1"));
    EXPECT_TRUE(d.setText(6601, "120"));
    EXPECT_EQ(d.text(6601), "120");
  });
  dialogBoxParam("DIALOG_DISPLAY", nullptr, RecordingProc::proc, 0);
}

TEST_F(DialogRuntime, ReadingNumbersFromControls) {
  struct Case {
    const char* text;
    bool isSigned;
    bool ok;
    int64_t value;
  };
  const Case cases[] = {
      {"  42", true, true, 42},
      {"-7", true, true, -7},
      {"-7", false, false, 0},
      {"12ab", true, true, 12},
      {"", true, false, 0},
      {"4294967295", false, true, 4294967295LL},
      {"4294967296", false, false, 0},
      {"2147483648", true, false, 0},
      {"-2147483648", true, true, -2147483648LL},
  };
  testing::insideDialog("DIALOG_KT36R_TESTPRT", [&](NyHwnd dlg) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.text);
      setDlgItemText(dlg, 6089, c.text);
      bool ok = !c.ok;
      EXPECT_EQ(getDlgItemInt(dlg, 6089, &ok, c.isSigned), c.value);
      EXPECT_EQ(ok, c.ok);
    }
    setDlgItemInt(dlg, 6089, -15, true);
    EXPECT_EQ(getDlgItemText(dlg, 6089), "-15");
    char small[3];
    EXPECT_EQ(getDlgItemText(dlg, 6089, small, sizeof small), 2);
    EXPECT_STREQ(small, "-1");
    bool ok = true;
    EXPECT_EQ(getDlgItemInt(dlg, 9999, &ok, true), 0);
    EXPECT_FALSE(ok);
  });
}

TEST_F(DialogRuntime, ComboBoxEntriesAndSelectionChange) {
  RecordingProc rec([](NyHwnd dlg, const ReceivedMessage& m) -> intptr_t {
    NyHwnd combo = getDlgItem(dlg, 6206);
    if (m.message == kMsgInitDialog) {
      for (const char* t : {"0", "1", "2"}) comboAddString(combo, t);
      comboSetCurSel(combo, 0);
    } else if (m.message == kMsgCommand && m.id == 6206 && m.code == kCbnSelChange) {
      setDlgItemText(dlg, 6212, comboGetCurSel(combo) == 0 ? "first" : "other");
    }
    return 0;
  });
  setDialogOperator("DIALOG_KT36R_TEST", [](OperatedDialog& d) {
    EXPECT_EQ(d.comboCount(6206), 3);
    EXPECT_EQ(d.comboSelection(6206), 0);
    EXPECT_EQ(d.text(6206), "0");
    EXPECT_TRUE(d.selectCombo(6206, 2));
    EXPECT_EQ(d.text(6212), "other");
    EXPECT_EQ(d.comboText(6206, 1), "1");
    EXPECT_FALSE(d.selectCombo(6206, 3));
    EXPECT_FALSE(d.selectCombo(6215, 0));  // a button is no combo box
    EXPECT_EQ(d.comboSelection(6206), 2);
    NyHwnd combo = getDlgItem(d.window(), 6206);
    EXPECT_FALSE(comboSetCurSel(combo, 7));
    EXPECT_EQ(comboGetCurSel(combo), -1);
    EXPECT_TRUE(comboResetContent(combo));
    EXPECT_EQ(d.comboCount(6206), 0);
  });
  dialogBoxParam("DIALOG_KT36R_TEST", nullptr, RecordingProc::proc, 0);
}

TEST_F(DialogRuntime, ListViewColumnsRowsHitTestAndSelection) {
  RecordingProc rec([](NyHwnd dlg, const ReceivedMessage& m) -> intptr_t {
    if (m.message != kMsgInitDialog) return 0;
    NyHwnd list = getDlgItem(dlg, 1038);
    EXPECT_EQ(listViewInsertColumn(list, 0, "A", 40, kLvcFmtLeft), 0);
    EXPECT_EQ(listViewInsertColumn(list, 5, "C", 60, kLvcFmtLeft), 1);  // appended
    EXPECT_EQ(listViewInsertColumn(list, 1, "B", 50, kLvcFmtLeft), 1);
    for (int r = 0; r < 3; ++r) {
      std::string t = "r" + std::to_string(r);
      EXPECT_EQ(listViewInsertItem(list, r, t.c_str()), r);
      listViewSetItemText(list, r, 2, ("c" + std::to_string(r)).c_str());
    }
    EXPECT_FALSE(listViewSetItemText(list, 0, 3, "x"));
    EXPECT_FALSE(listViewSetItemText(list, 3, 0, "x"));
    // Text widths from the list's font: narrow and wide characters.
    EXPECT_EQ(listViewGetStringWidth(list, "***"), 18);
    EXPECT_EQ(listViewGetStringWidth(list, cp932FromUtf8("機械番号").c_str()), 48);
    EXPECT_EQ(listViewGetStringWidth(list, cp932FromUtf8("ｷｬﾝｾﾙ").c_str()), 30);
    EXPECT_EQ(listViewGetStringWidth(getDlgItem(dlg, 1), "abc"), 0);  // not a list
    return 1;
  });
  setDialogOperator("DIALOG_SEARCHKT_LIST", [](OperatedDialog& d) {
    NyHwnd list = getDlgItem(d.window(), 1038);
    EXPECT_EQ(d.listColumnText(1038, 1), "B");
    EXPECT_EQ(d.listText(1038, 2, 2), "c2");
    EXPECT_EQ(d.listText(1038, 1, 1), "");
    // Rows lie below the header, one after another; beyond them and beyond the
    // columns nothing is hit.
    EXPECT_EQ(listViewHitTest(list, NyPoint{2, listViewRowCenterY(list, 0)}), 0);
    EXPECT_EQ(listViewHitTest(list, NyPoint{140, listViewRowCenterY(list, 2)}), 2);
    EXPECT_EQ(listViewHitTest(list, NyPoint{2, 5}), -1);
    EXPECT_EQ(listViewHitTest(list, NyPoint{2, listViewRowCenterY(list, 3)}), -1);
    EXPECT_EQ(listViewHitTest(list, NyPoint{150, listViewRowCenterY(list, 0)}), -1);
    EXPECT_TRUE(d.clickListRow(1038, 1));
    EXPECT_EQ(d.listSelection(1038), 1);
    EXPECT_TRUE(d.clickListAt(1038, 300));
    EXPECT_EQ(d.listSelection(1038), -1);
    EXPECT_TRUE(d.doubleClickListRow(1038, 2));
    // Deleting a column takes its cells along.
    EXPECT_TRUE(listViewDeleteColumn(list, 0));
    EXPECT_EQ(d.listText(1038, 2, 1), "c2");
    EXPECT_TRUE(listViewDeleteAllItems(list));
    EXPECT_EQ(d.listRows(1038), 0);
    EXPECT_EQ(listViewGetSelectedItem(list), -1);
  });
  dialogBoxParam("DIALOG_SEARCHKT_LIST", nullptr, RecordingProc::proc, 0);
  // A double click comes as a click and then the double click.
  EXPECT_EQ(received(rec, kMsgNotify, &ReceivedMessage::code),
            (std::vector<int>{kNmClick, kNmClick, kNmClick, kNmDblClk}));
  EXPECT_EQ(received(rec, kMsgNotify), std::vector<int>(4, 1038));
}

TEST_F(DialogRuntime, IpAddressControl) {
  testing::insideDialog("DIALOG_KT36R", [](NyHwnd dlg) {
    NyHwnd ip = getDlgItem(dlg, 6101);
    uint32_t a = 1;
    EXPECT_EQ(ipAddressGet(ip, &a), 0);
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(getWindowText(ip), "0.0.0.0");
    EXPECT_TRUE(ipAddressSet(ip, 0xC0A8000Au));
    EXPECT_EQ(getWindowText(ip), "192.168.0.10");
    EXPECT_EQ(ipAddressGet(ip, &a), 4);
    EXPECT_EQ(a, 0xC0A8000Au);
    EXPECT_TRUE(setWindowText(ip, "10..0.1"));
    EXPECT_EQ(ipAddressGet(ip, &a), 3);
    EXPECT_EQ(a, 0x0A000001u);
    EXPECT_TRUE(setWindowText(ip, "300.1.1.1"));  // refused: the address stays
    EXPECT_EQ(ipAddressGet(ip, &a), 3);
    EXPECT_TRUE(ipAddressClear(ip));
    EXPECT_EQ(ipAddressGet(ip, nullptr), 0);
    EXPECT_FALSE(ipAddressSet(getDlgItem(dlg, 1), 1));  // a button is no address control
  });
}

TEST_F(DialogRuntime, ClosedAndForeignHandlesFailCleanly) {
  NyHwnd dialog = nullptr;
  NyHwnd button = nullptr;
  RecordingProc rec;
  setDialogOperator("DIALOG_MOTO_TEST", [&](OperatedDialog& d) {
    dialog = d.window();
    button = getDlgItem(dialog, 6013);
    EXPECT_TRUE(isWindow(button));
    EXPECT_EQ(getDlgCtrlId(button), 6013);
    EXPECT_EQ(getParent(button), dialog);
    EXPECT_TRUE(setFocus(button) == dialog || focusWindow() == button);
  });
  dialogBoxParam("DIALOG_MOTO_TEST", nullptr, RecordingProc::proc, 0);
  int foreignObject = 0;
  for (NyHwnd h : {dialog, button, reinterpret_cast<NyHwnd>(&foreignObject)}) {
    EXPECT_FALSE(isWindow(h));
    EXPECT_EQ(getDlgItem(h, 6013), nullptr);
    EXPECT_FALSE(setDlgItemText(h, 6013, "x"));
    EXPECT_FALSE(setWindowText(h, "x"));
    EXPECT_EQ(getWindowText(h), "");
    EXPECT_FALSE(setTimer(h, 1, 10));
    EXPECT_FALSE(endDialog(h, 1));
    EXPECT_FALSE(enableWindow(h, true));
    EXPECT_EQ(listViewGetItemCount(h), -1);
    EXPECT_EQ(comboAddString(h, "x"), -1);
    EXPECT_EQ(setFocus(h), nullptr);
    OperatedDialog gone(h);
    EXPECT_TRUE(gone.ended());
    EXPECT_FALSE(gone.click(2));
  }
  EXPECT_EQ(focusWindow(), nullptr);
}

TEST_F(DialogRuntime, PumpingInsideAHandlerLetsTheOperatorAct) {
  static bool stopRequested = false;
  stopRequested = false;
  RecordingProc rec([](NyHwnd dlg, const ReceivedMessage& m) -> intptr_t {
    if (m.message == kMsgCommand && m.id == kIdOk) {
      // A long action that lets window messages run, as a test print's wait does.
      int rounds = 0;
      while (!stopRequested && rounds < 1000) {
        pumpMessages();
        ++rounds;
      }
      endDialog(dlg, rounds);
    } else if (m.message == kMsgCommand && m.id == 6096) {
      stopRequested = true;
    }
    return 0;
  });
  setDialogOperator("DIALOG_KT36R_TESTPRT", [](OperatedDialog& d) {
    int pumps = 0;
    d.onPump([&pumps](OperatedDialog& dd) {
      if (++pumps == 3) {
        EXPECT_TRUE(dd.click(6096));
        return false;
      }
      return true;
    });
    EXPECT_TRUE(d.click(kIdOk));
    EXPECT_EQ(pumps, 3);
  });
  EXPECT_EQ(dialogBoxParam("DIALOG_KT36R_TESTPRT", nullptr, RecordingProc::proc, 0), 3);
}

TEST_F(DialogRuntime, PumpingFiresTimersThatAreDueWithoutWaiting) {
  RecordingProc rec([](NyHwnd dlg, const ReceivedMessage& m) -> intptr_t {
    if (m.message == kMsgInitDialog) setTimer(dlg, 9, 100);
    return 0;
  });
  setDialogOperator("DIALOG_DISPLAY", [&](OperatedDialog&) {
    pumpMessages();
    EXPECT_TRUE(rec.timerTicks.empty());
    clock_.advance(150);
    uint32_t before = clock_.now();
    pumpMessages();
    EXPECT_EQ(rec.timerTicks.size(), 1u);
    EXPECT_EQ(clock_.now(), before);
  });
  dialogBoxParam("DIALOG_DISPLAY", nullptr, RecordingProc::proc, 0);
}

// Beeps are counted by the head check and auto cut tests.
TEST_F(DialogRuntime, NoticesStackAndEachIsDestroyedOnce) {
  EXPECT_EQ(activeNoticeText(), "");
  NyHwnd first = createNotice(nullptr, "one");
  NyHwnd second = createNotice(nullptr, "two");
  EXPECT_TRUE(isWindow(first));
  EXPECT_EQ(activeNoticeText(), "two");
  EXPECT_TRUE(destroyNotice(second));
  EXPECT_EQ(activeNoticeText(), "one");
  EXPECT_FALSE(destroyNotice(second));
  EXPECT_TRUE(destroyNotice(first));
  EXPECT_EQ(activeNoticeText(), "");
}

// Windows belong to the thread that made them: no other thread reaches them, and a thread
// that ends, windows open or not, leaves the program's memory whole for the ones after it.
TEST_F(DialogRuntime, AThreadsWindowsAreItsOwnAndEndWithIt) {
  NyHwnd theirs = nullptr;
  for (int i = 0; i < 20; ++i) {
    std::thread([&theirs] {
      theirs = createNotice(nullptr, "theirs");
      EXPECT_TRUE(isWindow(theirs));
    }).join();
  }
  EXPECT_FALSE(isWindow(theirs));
  EXPECT_EQ(activeNoticeText(), "");
#ifdef _WIN32
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 8);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  for (HANDLE heap : heaps) EXPECT_NE(HeapValidate(heap, 0, nullptr), FALSE);
#endif
}

}  // namespace
}  // namespace nypr::platform
