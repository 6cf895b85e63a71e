// The headless dialog runtime: what the dialog tests rely on and would not notice missing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "fake_clock.h"
#include "platform/ui.h"
#include "platform/ui_operator.h"

namespace nypr::platform {
namespace {

// What recordingProc received (message, command id), and what it does with each message.
std::vector<std::pair<uint32_t, int>> g_received;
std::function<void(NyHwnd, uint32_t, int)> g_handler;

intptr_t NYPR_STDCALL recordingProc(NyHwnd dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  const int id = message == kMsgCommand ? commandId(wParam) : 0;
  g_received.emplace_back(message, id);
  if (g_handler) g_handler(dialog, message, id);
  return 0;
}

class DialogRuntime : public ::testing::Test {
 protected:
  void SetUp() override { g_received.clear(); }
  void TearDown() override {
    g_handler = nullptr;
    clearDialogOperators();
    EXPECT_EQ(openDialogCount(), 0);
  }
  test::FakeClock clock_;
};

using Received = std::vector<std::pair<uint32_t, int>>;

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
    g_received.clear();
    g_handler = [&c](NyHwnd dlg, uint32_t message, int id) {
      if (c.startsTimer && message == kMsgInitDialog) setTimer(dlg, 2, 1500);
      if (c.endsOnCancel && message == kMsgCommand && id == kIdCancel) endDialog(dlg, 5);
    };
    uint32_t start = clock_.now();
    EXPECT_EQ(dialogBoxParam(c.dialog, nullptr, recordingProc, 0), c.result);
    EXPECT_EQ(clock_.now(), start);
    EXPECT_EQ(g_received,
              (Received{{kMsgInitDialog, 0}, {kMsgCommand, kIdCancel}, {kMsgDestroy, 0}}));
  }
}

// What a user cannot do, an operator cannot either: the dialog tests rely on it.
TEST_F(DialogRuntime, ControlsTheUserCannotUseRefuseTheOperator) {
  const struct {
    const char* dialog;
    int id;
    const char* text;                                      // nullptr: a click
  } refused[] = {{"DIALOG_KT36R_TESTPRT", 6086, nullptr},  // disabled
                 {"DIALOG_KT36R_TESTPRT", 6087, nullptr},  // hidden
                 {"DIALOG_MAINTENANCE", 6703, "300"},      // disabled
                 {"DIALOG_MAINTENANCE", 6777, "80"},       // read-only
                 {"DIALOG_DISPLAY", 6601, "12a"},          // a number field takes digits only
                 {"DIALOG_DISPLAY", 6601, "-1"}};
  for (const auto& r : refused) {
    SCOPED_TRACE(std::string(r.dialog) + " " + std::to_string(r.id));
    g_received.clear();
    setDialogOperator(r.dialog, [&r](OperatedDialog& d) {
      EXPECT_FALSE(r.text != nullptr ? d.setText(r.id, r.text) : d.click(r.id));
    });
    dialogBoxParam(r.dialog, nullptr, recordingProc, 0);
    EXPECT_EQ(g_received[1], std::make_pair(kMsgCommand, int{kIdCancel}));
  }
}

// The dialogs' range checks read their fields this way, as Windows reads them.
TEST_F(DialogRuntime, ReadingNumbersFromControls) {
  const struct {
    const char* text;
    bool isSigned, ok;
    int64_t value;
  } cases[] = {{"  42", true, true, 42},
               {"-7", false, false, 0},
               {"12ab", true, true, 12},
               {"4294967295", false, true, 4294967295LL},
               {"4294967296", false, false, 0},
               {"2147483648", true, false, 0},
               {"-2147483648", true, true, -2147483648LL}};
  g_handler = [&](NyHwnd dlg, uint32_t message, int) {
    if (message != kMsgInitDialog) return;
    for (const auto& c : cases) {
      setDlgItemText(dlg, 6089, c.text);
      bool ok = !c.ok;
      EXPECT_EQ(getDlgItemInt(dlg, 6089, &ok, c.isSigned), c.value) << c.text;
      EXPECT_EQ(ok, c.ok) << c.text;
    }
    endDialog(dlg, 0);
  };
  dialogBoxParam("DIALOG_KT36R_TESTPRT", nullptr, recordingProc, 0);
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
