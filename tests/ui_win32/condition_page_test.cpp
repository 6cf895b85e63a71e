// The host's print-condition page as a real window (a host resource of this test) with the
// driver's callback behind it, worked with window messages as a user would.
#include <gtest/gtest.h>

#include <string>

#include "host_fixture.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "settings/printer_settings.h"
#include "window_operator.h"

namespace nypr::test {
namespace {

CondDlgCtxST* g_ctx = nullptr;

// The host's page: hands every message to the driver and leaves on an accepted OK.
INT_PTR CALLBACK hostPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SendDlgItemMessageW(dialog, 20714, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"KT3600R"));
  }
  const int32_t result = NyPrCondDlgCB(dialog, message, wParam, lParam, g_ctx);
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && result == 0) EndDialog(dialog, IDOK);
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
  return message == WM_INITDIALOG ? TRUE : result;
}

class ConditionPageTest : public SimulatorTest {
 protected:
  void SetUp() override {
    SimulatorTest::SetUp();
    cond_.PrinterNoUB = 1;
    cond_.GapDistUW = 549;
    cond_.MarkDistUW = 1700;  // beyond the sensor: the printer's default is shown
    cond_.CutterDistUW = 306;
    ctx_ = CondDlgCtxST{1, 0, &label_, &cond_};
    g_ctx = &ctx_;
  }
  void TearDown() override {
    g_ctx = nullptr;
    SimulatorTest::TearDown();
  }

  LabelFormatST label_{};
  PrintCondST cond_{};
  CondDlgCtxST ctx_{};
};

TEST_F(ConditionPageTest, RulesOnTheHostsPageRefuseBadValuesAndKeepTheGoodOnes) {
  INT_PTR result = -1;
  {
    WindowOperator op([&](WindowOperator& w) {
      HWND d = w.waitDialog("印刷条件");
      ASSERT_NE(d, nullptr);
      // The host's initialisation reached the page (every distance shown: the headless
      // print_condition_callback_test).
      EXPECT_EQ(w.text(d, 20117), "548");
      EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, 20708)));
      EXPECT_FALSE(w.enabled(d, 20706));  // peeling needs the sensor
      ctx_.bHostInit = 0;

      // Peeling faster than the printer peels.
      w.click(d, 20704);
      EXPECT_TRUE(w.waitFor([&] { return w.enabled(d, 20706); }));
      w.click(d, 20706);
      EXPECT_TRUE(w.waitFor([&] { return w.checked(d, 20706); }));
      EXPECT_FALSE(w.enabled(d, 20705));  // cutting and peeling exclude one another
      w.type(d, 20701, "150");
      w.click(d, IDOK);
      EXPECT_TRUE(w.waitFor([&] { return nyhostMessageBoxCount() == 1; }));
      // The page gives the refused field the focus once the message is shown: awaited.
      EXPECT_TRUE(w.waitFor([&] { return w.focusedId(d) == 20701; }));

      // A gap distance out of the sensor's range.
      w.click(d, 20706);
      w.click(d, 20711);
      EXPECT_TRUE(w.waitFor([&] { return w.enabled(d, 20118); }));
      w.type(d, 20118, "100");
      w.click(d, IDOK);
      EXPECT_TRUE(w.waitFor([&] { return nyhostMessageBoxCount() == 2; }));
      EXPECT_TRUE(w.waitFor([&] { return w.focusedId(d) == 20118; }));
      EXPECT_TRUE(IsWindow(d));

      w.type(d, 20118, "300");
      w.click(d, IDOK);
      EXPECT_TRUE(w.waitClosed(d));
    });
    ctx_.bHostInit = 1;
    result = DialogBoxParamW(GetModuleHandleW(nullptr), L"HOST_PRINT_CONDITION", nullptr,
                             hostPageProc, 0);
  }
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(messages_.size(), 2u);  // their texts: print_condition_callback_test
  EXPECT_EQ(settingsFieldText(0, kFieldGapSensorDist), "0300");  // stored: the headless test
  EXPECT_EQ(cond_.MarkDistUW, 549);
}

}  // namespace
}  // namespace nypr::test
