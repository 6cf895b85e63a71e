// The Windows dialog backend on real windows: dialogs from the resources, controls by id,
// CP932 texts through the wide-character API, list clicks arriving as the driver's record,
// timers and screen coordinates. Each dialog runs on the test's thread while a
// WindowOperator works it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/help.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "window_operator.h"

namespace nypr::platform {
namespace {

using test::WindowOperator;

// What the test dialog procedure saw.
struct Seen {
  std::vector<ListItemActivate> clicks;
  std::vector<int> comboPicks;
  int ticks = 0;
  std::string typed;
};
Seen g_seen;

intptr_t NYPR_STDCALL listProc(NyHwnd d, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kMsgInitDialog) {
    NyHwnd list = getDlgItem(d, 1038);
    listViewSetExtendedStyle(list, kLvsExFullRowSelect, kLvsExFullRowSelect);
    EXPECT_EQ(listViewInsertColumn(list, 0, cp932FromUtf8("機種").c_str(), 120, kLvcFmtLeft), 0);
    EXPECT_EQ(listViewInsertColumn(list, 1, "IP", 120, kLvcFmtLeft), 1);
    for (int row = 0; row < 3; ++row) {
      EXPECT_EQ(listViewInsertItem(list, row, cp932FromUtf8("ﾌﾟﾘﾝﾀ" + std::to_string(row)).c_str()),
                row);
      listViewSetItemText(list, row, 1, ("10.0.0." + std::to_string(row)).c_str());
    }
    return 1;
  }
  if (message == kMsgNotify) {
    const auto* header = reinterpret_cast<const NotifyHeader*>(lParam);
    if (header->id == 1038 && (header->code == kNmClick || header->code == kNmDblClk)) {
      g_seen.clicks.push_back(*reinterpret_cast<const ListItemActivate*>(lParam));
    }
  }
  if (message == kMsgCommand && (commandId(wParam) == kIdOk || commandId(wParam) == kIdCancel)) {
    endDialog(d, commandId(wParam) == kIdOk ? listViewGetSelectedItem(getDlgItem(d, 1038)) : -5);
  }
  return 0;
}

TEST(Win32Dialogs, ListClicksArriveAsTheDriversRecord) {
  g_seen = {};
  intptr_t result = 0;
  {
    WindowOperator op([](WindowOperator& w) {
      HWND d = w.waitDialog("LANのKT一覧");
      ASSERT_NE(d, nullptr);
      EXPECT_EQ(w.listRows(d, 1038), 3);
      EXPECT_EQ(w.listText(d, 1038, 2, 0), "ﾌﾟﾘﾝﾀ2");
      w.clickListRow(d, 1038, 1);
      EXPECT_TRUE(w.waitFor([] { return !g_seen.clicks.empty(); }));
      w.click(d, 1);
      EXPECT_TRUE(w.waitClosed(d));
    });
    result = dialogBoxParam("DIALOG_SEARCHKT_LIST", nullptr, listProc, 0);
  }
  EXPECT_EQ(result, 1);
  ASSERT_FALSE(g_seen.clicks.empty());
  const ListItemActivate& click = g_seen.clicks.front();
  EXPECT_EQ(click.item, 1);
  EXPECT_EQ(click.hdr.code, kNmClick);
  EXPECT_GT(click.action.y, 0);
  EXPECT_GT(click.action.x, 0);
}

intptr_t NYPR_STDCALL controlsProc(NyHwnd d, uint32_t message, uintptr_t wParam, intptr_t) {
  switch (message) {
    case kMsgInitDialog: {
      NyHwnd combo = getDlgItem(d, 6206);
      for (const char* text : {"全体", "左側", "右側"})
        comboAddString(combo, cp932FromUtf8(text).c_str());
      comboSetCurSel(combo, 0);
      setDlgItemText(d, 6211, cp932FromUtf8("ﾒﾓﾘﾁｪｯｸ：").c_str());
      setDlgItemInt(d, 6207, -42, true);
      moveWindow(d, 100, 50);
      setTimer(d, 5, 20);
      return 1;
    }
    case kMsgTimer:
      if (wParam == 5 && ++g_seen.ticks == 3) killTimer(d, 5);
      return 0;
    case kMsgCommand:
      if (commandId(wParam) == 6206 && commandCode(wParam) == kCbnSelChange) {
        g_seen.comboPicks.push_back(comboGetCurSel(getDlgItem(d, 6206)));
      } else if (commandId(wParam) == kIdCancel) {
        g_seen.typed = comboGetItemText(getDlgItem(d, 6206), comboGetCurSel(getDlgItem(d, 6206)));
        bool translated = false;
        EXPECT_EQ(getDlgItemInt(d, 6207, &translated, true), -42);
        EXPECT_TRUE(translated);
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        EXPECT_TRUE(getWindowRect(getDlgItem(d, 6207), &left, &top, &right, &bottom));
        EXPECT_GT(left, 100);  // screen coordinates: the dialog sits at 100,50
        EXPECT_GT(top, 50);
        EXPECT_EQ(getDlgItemText(d, 6211), cp932FromUtf8("ﾒﾓﾘﾁｪｯｸ："));
        endDialog(d, 7);
        EXPECT_FALSE(endDialog(d, 8));  // told once
      }
      return 1;
    default:
      return 0;
  }
}

TEST(Win32Dialogs, ControlsTextsTimersAndPlaces) {
  g_seen = {};
  intptr_t result = 0;
  {
    WindowOperator op([](WindowOperator& w) {
      HWND d = w.waitDialog("KT-36R各種ﾃｽﾄ");
      ASSERT_NE(d, nullptr);
      EXPECT_EQ(w.comboCount(d, 6206), 3);
      EXPECT_EQ(w.text(d, 6211), "ﾒﾓﾘﾁｪｯｸ：");
      w.selectCombo(d, 6206, 2);
      EXPECT_TRUE(w.waitFor([] { return !g_seen.comboPicks.empty() && g_seen.ticks >= 3; }));
      w.click(d, 2);
      EXPECT_TRUE(w.waitClosed(d));
    });
    result = dialogBoxParam("DIALOG_KT36R_TEST", nullptr, controlsProc, 0);
  }
  EXPECT_EQ(result, 7);
  EXPECT_EQ(g_seen.comboPicks, std::vector<int>{2});
  EXPECT_EQ(g_seen.ticks, 3);
  EXPECT_EQ(g_seen.typed, cp932FromUtf8("右側"));
  EXPECT_EQ(dialogBoxParam("DIALOG_NO_SUCH_THING", nullptr, controlsProc, 0), -1);
}

// The HTML Help engine is found (its class registration, else hhctrl.ocx) and takes the
// topic, also for a help file that is not there.
TEST(Win32Help, HtmlHelpEngineTakesTheTopic) {
  const int before = helpRequestCountForTesting();
  EXPECT_TRUE(showHtmlHelp(nullptr, "Z:\\nowhere\\NYPRT.chm::\\html/prt48lv6.htm"));
  EXPECT_TRUE(showHtmlHelp(nullptr, "Z:\\nowhere\\NYPRT.chm::\\html/prt48lv6.htm"));
  EXPECT_EQ(helpRequestCountForTesting(), before + 2);
  EXPECT_TRUE(lastHelpRequestForTesting().html);
}

}  // namespace
}  // namespace nypr::platform
