// The headless dialog runtime: what the dialog tests rely on and would not notice missing.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "fake_clock.h"
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

// The ids of the messages of one kind, in order.
std::vector<int> received(const RecordingProc& rec, uint32_t message) {
  std::vector<int> out;
  for (const ReceivedMessage& m : rec.messages) {
    if (m.message == message) out.push_back(m.id);
  }
  return out;
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
    RecordingProc rec;
    setDialogOperator(r.dialog, [&r](OperatedDialog& d) {
      EXPECT_FALSE(r.text != nullptr ? d.setText(r.id, r.text) : d.click(r.id));
    });
    dialogBoxParam(r.dialog, nullptr, RecordingProc::proc, 0);
    EXPECT_EQ(received(rec, kMsgCommand), std::vector<int>{kIdCancel});
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
  testing::insideDialog("DIALOG_KT36R_TESTPRT", [&](NyHwnd dlg) {
    for (const auto& c : cases) {
      setDlgItemText(dlg, 6089, c.text);
      bool ok = !c.ok;
      EXPECT_EQ(getDlgItemInt(dlg, 6089, &ok, c.isSigned), c.value) << c.text;
      EXPECT_EQ(ok, c.ok) << c.text;
    }
  });
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
