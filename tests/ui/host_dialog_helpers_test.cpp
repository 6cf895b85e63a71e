// The host's dialog helpers working on the driver's windows through the window table.
#include <gtest/gtest.h>

#include <string>

#include "core/host_api.h"
#include "fake_clock.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/window_ops.h"
#include "platform/ui.h"
#include "platform/ui_operator.h"
#include "ui_test_support.h"

namespace nypr::platform {
namespace {

class HostDialogHelpers : public ::testing::Test {
 protected:
  void TearDown() override {
    clearDialogOperators();
    nyhostReset();
  }
  test::FakeClock clock_;
};

using testing::insideDialog;

TEST_F(HostDialogHelpers, WindowHandlesCarryTheTable) {
  insideDialog("DIALOG_KT36R_IP", [](NyHwnd dlg) {
    const auto* header = reinterpret_cast<const NyWindowHeader*>(dlg);
    ASSERT_EQ(header->magic, NY_WINDOW_MAGIC);
    ASSERT_NE(header->ops, nullptr);
    EXPECT_EQ(header->ops->size, sizeof(NyWindowOps));
    EXPECT_NE(header->ops->isWindow(dlg), 0);
    char buf[8];
    EXPECT_EQ(header->ops->getItemText(dlg, 4711, buf, sizeof buf), -1);
    EXPECT_EQ(header->ops->setItemText(dlg, 4711, "x"), -1);
  });
}

TEST_F(HostDialogHelpers, SignedNumbersSaturateAtSixteenBits) {
  insideDialog("DIALOG_MAINTENANCE", [](NyHwnd dlg) {
    const std::pair<const char*, int16_t> signedCases[] = {
        {"-5", -5},       {" 42x", 42},       {"", 0},          {"32767", 32767},
        {"70000", 32767}, {"-70000", -32768}, {"65586", 32767}, {"99999999999999", 32767}};
    for (const auto& [text, value] : signedCases) {
      setDlgItemText(dlg, 6924, text);
      EXPECT_EQ(GetDlgItemIntFnSW(dlg, 6924, 1), value) << text;
    }
    setDlgItemText(dlg, 6924, "-5");
    EXPECT_EQ(GetDlgItemIntFnSW(dlg, 6924, 0), 0);
    EXPECT_EQ(GetDlgItemIntFnSW(dlg, 4711, 1), 0);
    EXPECT_EQ(GetDlgItemIntFnSW(nullptr, 6924, 1), 0);
  });
}

TEST_F(HostDialogHelpers, ComboBoxFilledWithHostTexts) {
  nyhostSetHostString(2491, "Absolute");
  insideDialog("DIALOG_MAINTENANCE", [](NyHwnd dlg) {
    NyHwnd combo = getDlgItem(dlg, 6804);
    comboAddString(combo, "old");
    InitCombineBoxFnV(dlg, 0, 6804, 2491, 2);
    ASSERT_EQ(comboGetCount(combo), 2);
    EXPECT_EQ(comboGetItemText(combo, 0), "Absolute");
    EXPECT_EQ(comboGetItemText(combo, 1), "2492");  // no such host text: its id
    InitCombineBoxFnV(dlg, 0, 6009, 2491, 2);       // an edit is left alone
    EXPECT_EQ(getDlgItemText(dlg, 6009), "");
  });
}

// Over the owner dialog; over the screen when the owner is a window the driver does not know.
TEST_F(HostDialogHelpers, CentresOverTheOwnerDialogOrTheScreen) {
  static NyHwnd outer = nullptr;
  static int32_t box[4];
  static int32_t onScreen[2];
  dialogBoxParam(
      "DIALOG_MAINTENANCE", nullptr,
      [](NyHwnd dlg, uint32_t msg, uintptr_t, intptr_t) NYPR_STDCALL -> intptr_t {
        if (msg != kMsgInitDialog) return 0;
        outer = dlg;
        moveWindow(dlg, 100, 50);
        insideDialog("DIALOG_KT36R_IP", [](NyHwnd inner) {
          CenterDialogFnV(inner, outer);
          getWindowRect(inner, &box[0], &box[1], &box[2], &box[3]);
          int hostWindow = 0;
          CenterDialogFnV(inner, reinterpret_cast<NyHwnd>(&hostWindow));
          int32_t r, b;
          getWindowRect(inner, &onScreen[0], &onScreen[1], &r, &b);
        });
        endDialog(dlg, 0);
        return 0;
      },
      0);
  // The maintenance template is 470 x 250 units at (100, 50), the IP dialog 220 x 104
  // (1.5 px a unit); the screen 1920 x 1080.
  EXPECT_EQ(box[0], 100 + (705 - 330) / 2);
  EXPECT_EQ(box[1], 50 + (375 - 156) / 2);
  EXPECT_EQ(box[2] - box[0], 330);
  EXPECT_EQ(box[3] - box[1], 156);
  EXPECT_EQ(onScreen[0], (1920 - 330) / 2);
  EXPECT_EQ(onScreen[1], (1080 - 156) / 2);
}

TEST_F(HostDialogHelpers, WaitNoticeAndDoEvents) {
  int hostWindow = 0;
  insideDialog("DIALOG_MAINTENANCE", [&](NyHwnd dlg) {
    NyHwnd notice = ShowWaitMessageFnH(dlg, "busy");
    EXPECT_NE(notice, nullptr);
    EXPECT_EQ(activeNoticeText(), "busy");
    EXPECT_EQ(ShowWaitMessageFnH(dlg, nullptr), nullptr);
    EXPECT_EQ(activeNoticeText(), "");
    EXPECT_FALSE(isWindow(notice));
    // A notice over a window the driver does not know still comes back, detached.
    EXPECT_NE(ShowWaitMessageFnH(reinterpret_cast<NyHwnd>(&hostWindow), "elsewhere"), nullptr);
    EXPECT_EQ(activeNoticeText(), "");
    ShowWaitMessageFnH(reinterpret_cast<NyHwnd>(&hostWindow), nullptr);
    // The stand-in host speaks the driver's language: template texts stay.
    std::string before = getDlgItemText(dlg, 6220);
    LoadDialogItemsExFnV("DIALOG_MAINTENANCE", dlg, "KT-PRINTER");
    EXPECT_EQ(getDlgItemText(dlg, 6220), before);
    EXPECT_FALSE(before.empty());
  });

  int pumps = 0;
  setDialogOperator("DIALOG_KT36R_TESTPRT", [&](OperatedDialog& d) {
    d.onPump([&](OperatedDialog&) {
      ++pumps;
      return true;
    });
    DoEventsFnV(d.window(), 100);
    DoEventsFnV(d.window(), 100);
    d.cancel();
  });
  dialogBoxParam(
      "DIALOG_KT36R_TESTPRT", nullptr,
      [](NyHwnd dlg, uint32_t msg, uintptr_t w, intptr_t) NYPR_STDCALL -> intptr_t {
        if (msg == kMsgCommand && commandId(w) == kIdCancel) endDialog(dlg, 0);
        return 0;
      },
      0);
  EXPECT_EQ(pumps, 2);
}

}  // namespace
}  // namespace nypr::platform
