// The stand-in host's dialog helpers on the driver's windows, as the real host's behave.
#include <gtest/gtest.h>

#include "core/host_api.h"
#include "platform/ui.h"
#include "platform/ui_operator.h"
#include "ui_test_support.h"

namespace nypr::platform {
namespace {

using testing::insideDialog;

TEST(HostDialogHelpers, SignedNumbersSaturateAtSixteenBits) {
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

// The maintenance dialog's wait message while a program goes to the printer.
TEST(HostDialogHelpers, WaitNoticeComesAndGoes) {
  insideDialog("DIALOG_MAINTENANCE", [&](NyHwnd dlg) {
    NyHwnd notice = ShowWaitMessageFnH(dlg, "busy");
    EXPECT_NE(notice, nullptr);
    EXPECT_EQ(activeNoticeText(), "busy");
    EXPECT_EQ(ShowWaitMessageFnH(dlg, nullptr), nullptr);
    EXPECT_EQ(activeNoticeText(), "");
    EXPECT_FALSE(isWindow(notice));
  });
}

}  // namespace
}  // namespace nypr::platform
