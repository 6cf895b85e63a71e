// The stand-in host's dialog helpers on real windows, as a real host's work: centring in
// screen coordinates, control texts in the host's language, numbers read from edits,
// combo boxes filled with host texts, the wait notice.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/host_api.h"
#include "nyhost/nyhost_control.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "window_operator.h"

namespace nypr::platform {
namespace {

using test::WindowOperator;

intptr_t NYPR_STDCALL helperProc(NyHwnd d, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == kMsgInitDialog) {
    LoadDialogItemsExFnV("DIALOG_MAINTENANCE", d, "KT-PRINTER");
    InitCombineBoxFnV(d, 0, 6804, 2491, 2);
    InitCombineBoxFnV(d, 0, 6776, 2491, 2);  // an edit is left alone
    CenterDialogFnV(d, nullptr);
    return 1;
  }
  if (message == kMsgCommand && commandId(wParam) == kIdCancel) endDialog(d, 0);
  return 0;
}

// A host helper that keeps its own data in the dialog's DWLP_USER slot, as the window is
// the host's to use once it is handed over.
int g_strayCalls = 0;
int g_driverCommands = 0;
INT_PTR CALLBACK strayProc(HWND d, UINT, WPARAM, LPARAM) {
  ++g_strayCalls;
  EndDialog(d, -9);
  return 0;
}
void helperUsingTheUserSlot(NyHwnd d) {
  SetWindowLongPtrW(static_cast<HWND>(d), DWLP_USER, reinterpret_cast<LONG_PTR>(&strayProc));
}

intptr_t NYPR_STDCALL userSlotProc(NyHwnd d, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == kMsgInitDialog) {
    LoadDialogItemsExFnV("DIALOG_MAINTENANCE", d, "KT-PRINTER");
    helperUsingTheUserSlot(d);
    CenterDialogFnV(d, nullptr);
    return 1;
  }
  if (message == kMsgCommand && commandId(wParam) == kIdCancel) {
    ++g_driverCommands;
    endDialog(d, 7);
  }
  return 0;
}

TEST(HostHelpersOnRealWindows, AHelperWritingTheUserSlotLeavesTheProcedureInPlace) {
  g_strayCalls = g_driverCommands = 0;
  intptr_t result = 0;
  {
    WindowOperator op([](WindowOperator& w) {
      HWND d = w.waitDialog("メンテナンス用パラメータの設定");
      ASSERT_NE(d, nullptr);
      w.click(d, 2);
      EXPECT_TRUE(w.waitClosed(d));
    });
    result = dialogBoxParam("DIALOG_MAINTENANCE", nullptr, userSlotProc, 0);
  }
  EXPECT_EQ(result, 7);
  EXPECT_EQ(g_driverCommands, 1);
  EXPECT_EQ(g_strayCalls, 0);
}

TEST(HostHelpersOnRealWindows, CentreTextsNumbersCombosAndNotice) {
  nyhostSetDialogText("DIALOG_MAINTENANCE", 6220, cp932FromUtf8("ﾌｧｰﾑ更新").c_str());
  nyhostSetHostString(2491, "Absolute");
  {
    WindowOperator op([](WindowOperator& w) {
      HWND d = w.waitDialog("メンテナンス用パラメータの設定");
      ASSERT_NE(d, nullptr);
      EXPECT_EQ(w.text(d, 6220), "ﾌｧｰﾑ更新");
      EXPECT_EQ(w.comboCount(d, 6804), 2);
      EXPECT_EQ(w.text(d, 6776), "");

      RECT work{}, box{};
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
      GetWindowRect(d, &box);
      EXPECT_NEAR((box.left + box.right) / 2, (work.left + work.right) / 2, 1);
      EXPECT_NEAR((box.top + box.bottom) / 2, (work.top + work.bottom) / 2, 1);
      // Over an owner near the screen's corner the dialog still shows whole.
      HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, work.left + 10,
                                   work.top + 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
      CenterDialogFnV(d, owner);
      GetWindowRect(d, &box);
      EXPECT_EQ(box.left, work.left);
      EXPECT_EQ(box.top, work.top);
      DestroyWindow(owner);

      // The edit's text read through the window (the clamping: the headless suite).
      w.type(d, 6924, "-70000");
      EXPECT_EQ(GetDlgItemIntFnSW(d, 6924, 1), -32768);
      EXPECT_EQ(GetDlgItemIntFnSW(d, 4711, 1), 0);

      NyHwnd notice = ShowWaitMessageFnH(d, cp932FromUtf8("送信中です").c_str());
      ASSERT_NE(notice, nullptr);
      EXPECT_TRUE(IsWindowVisible(static_cast<HWND>(notice)));
      wchar_t shown[32] = {};
      GetWindowTextW(static_cast<HWND>(notice), shown, 32);
      EXPECT_STREQ(shown, L"送信中です");
      EXPECT_EQ(ShowWaitMessageFnH(d, nullptr), nullptr);
      EXPECT_FALSE(IsWindow(static_cast<HWND>(notice)));

      w.click(d, 2);
      EXPECT_TRUE(w.waitClosed(d));
    });
    dialogBoxParam("DIALOG_MAINTENANCE", nullptr, helperProc, 0);
  }
  nyhostReset();
  nyhostSetHostString(2491, nullptr);
}

}  // namespace
}  // namespace nypr::platform
