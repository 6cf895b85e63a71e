// The host's print-condition page driven through the driver's callback: a stand-in page
// with the host's control ids forwards every message to NyPrCondDlgCB.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/slots.h"
#include "host_fixture.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/text.h"
#include "platform/ui_operator.h"
#include "resources/dialog_templates.h"
#include "settings/printer_settings.h"
#include "stored_fields.h"

namespace nypr {
namespace {

using platform::OperatedDialog;
using test::cp932;
using enum platform::ControlKind;
using enum platform::ControlFlag;

constexpr char kCondPage[] = "HOST_PRINT_CONDITION";

// The controls of the host's page that the driver addresses, one under another: the print
// speed, the option boxes (some closed at first), the printer choice and its refresh
// button, two radio groups, a frame, the three distances and their factory values.
std::vector<platform::ControlTemplate> condControls() {
  std::vector<platform::ControlTemplate> c;
  auto add = [&c](int id, platform::ControlKind kind, uint32_t flags = 0) {
    c.push_back({id, kind, "", 0, static_cast<int16_t>(12 * c.size()), 40, 10, flags});
  };
  add(20701, Edit);
  for (int id = 20702; id <= 20713; ++id) {
    const bool open = id == 20703 || id == 20708 || id >= 20711;
    add(id, CheckBox, open ? 0u : uint32_t{kDisabled});
  }
  add(20714, ComboBox);
  add(20715, Button, kDisabled);
  for (int id : {20716, 20717, 20718, 20525, 20526}) {
    add(id, Radio, id == 20716 || id == 20525 ? uint32_t{kGroup} : 0u);
  }
  add(20505, GroupBox, kDisabled);
  for (int id : {20107, 20117, 20118}) add(id, Edit);
  for (int id : {20731, 20732, 20741}) add(id, Static);
  add(1, Button, kDefault);
  add(2, Button);
  return c;
}

struct CallbackResult {
  uint32_t message;
  int id;
  int32_t result;
};

// The host's page: hands every message to the driver and leaves on an accepted OK.
CondDlgCtxST* g_ctx = nullptr;
std::vector<CallbackResult>* g_results = nullptr;
std::vector<int> g_tickedAtStart;  // boxes the host's page holds ticked when it opens

intptr_t NYPR_STDCALL hostPageProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) {
  if (message == platform::kMsgInitDialog) {
    platform::comboAddString(platform::getDlgItem(dialog, 20714), "KT3600R");
    for (int id : g_tickedAtStart) platform::checkDlgButton(dialog, id, 1);
  }
  int32_t r = NyPrCondDlgCB(dialog, message, wParam, lParam, g_ctx);
  g_results->push_back({message, platform::commandId(wParam), r});
  if (message == platform::kMsgCommand) {
    int id = platform::commandId(wParam);
    if (id == platform::kIdOk && r == 0 && g_ctx->bHostInit == 0) platform::endDialog(dialog, 1);
    if (id == platform::kIdCancel) platform::endDialog(dialog, 0);
  }
  return message == platform::kMsgInitDialog ? 1 : r;
}

class PrintConditionCallback : public test::SimulatorTest {
 protected:
  void SetUp() override {
    SimulatorTest::SetUp();
    static const std::vector<platform::ControlTemplate> controls = condControls();
    static const platform::DialogTemplate templates[] = {
        {kCondPage, "print conditions", 60, 360, 0, controls}};
    setHostDialogTemplatesForTesting(templates);
    for (PrinterSlot& slot : stKtRSE) slot.dwLastError = kNoError;
    cond_ = PrintCondST{};
    cond_.PrinterNoUB = 1;
    cond_.GapDistUW = 549;
    cond_.MarkDistUW = 549;
    cond_.CutterDistUW = 306;
    ctx_ = CondDlgCtxST{1, 0, &label_, &cond_};
    g_ctx = &ctx_;
    g_results = &results_;
  }
  void TearDown() override {
    platform::clearDialogOperators();
    setHostDialogTemplatesForTesting({});
    g_ctx = nullptr;
    g_results = nullptr;
    g_tickedAtStart.clear();
    SimulatorTest::TearDown();
  }

  // Opens the page as the host does (initialising for this printer), then hands it to
  // `op` in normal operation.
  intptr_t openPage(const platform::DialogOperator& op) {
    ctx_.bHostInit = 1;
    platform::setDialogOperator(kCondPage, [&](OperatedDialog& d) {
      ctx_.bHostInit = 0;
      op(d);
      if (!d.ended()) d.click(2);
    });
    return platform::dialogBoxParam(kCondPage, nullptr, hostPageProc, 0);
  }

  // Ticks what opens the three distance fields for typing, as a user has to.
  void openDistances(OperatedDialog& d) {
    for (int id : {20704, 20711, 20712, 20707}) EXPECT_TRUE(d.click(id)) << id;
  }
  void type(OperatedDialog& d, int id, const char* text) { EXPECT_TRUE(d.setText(id, text)) << id; }

  int32_t lastResult() const { return results_.empty() ? -1 : results_.back().result; }
  int32_t clickResult(OperatedDialog& d, int id) {
    ctx_.bHandled = 0;
    EXPECT_TRUE(d.click(id)) << id;
    return lastResult();
  }
  // Settings field `field` of printer 1 as stored in the INI file.
  std::string storedField(int field) {
    return test::storedFields(readIni("KT3600R Info", "KT00", "")).at(field + 1);
  }
  void setForcedWinder(bool on) {
    KtrInfo info{};
    info.PrinterNoUB = 0;
    ReadPrinterSettingsFnBL(&info);
    PrinterSettings[0][kSettingsFields[kFieldForcedWinder].offset] = on ? '1' : '0';
    WritePrinterSettingsFnV(&info);
  }

  LabelFormatST label_{};
  PrintCondST cond_{};
  CondDlgCtxST ctx_{};
  std::vector<CallbackResult> results_;
};

TEST_F(PrintConditionCallback, InitShowsTheHostDistancesOrThePrinterDefaults) {
  cond_.GapDistUW = 240;
  cond_.MarkDistUW = 1601;
  cond_.CutterDistUW = 0;
  openPage([&](OperatedDialog& d) {
    const std::pair<int, const char*> shown[] = {{20118, "239"}, {20117, "548"}, {20107, "305"},
                                                 {20731, "305"}, {20732, "548"}, {20741, "548"}};
    for (const auto& [id, text] : shown) EXPECT_EQ(d.text(id), text) << id;
    EXPECT_FALSE(d.visible(20708));
    EXPECT_FALSE(d.enabled(20708));
    for (int id : {20701, 20702, 20704, 20709, 20710, 20505, 20715})
      EXPECT_TRUE(d.enabled(id)) << id;
  });
  ASSERT_FALSE(results_.empty());  // the first message is the init (DialogRuntime tests)
  EXPECT_EQ(results_.front().result, 0);
  EXPECT_EQ(ctx_.bHandled, 1);
  EXPECT_EQ(cond_.GapDistUW, 240);
  EXPECT_EQ(cond_.MarkDistUW, 549);
  EXPECT_EQ(cond_.CutterDistUW, 306);

  // Just below the sensor range, and the top of the cutter's.
  cond_.GapDistUW = 239;
  cond_.MarkDistUW = 1600;
  cond_.CutterDistUW = 9999;
  openPage([&](OperatedDialog& d) {
    EXPECT_EQ(d.text(20118), "548");
    EXPECT_EQ(d.text(20117), "1599");
    EXPECT_EQ(d.text(20107), "9998");
  });
  EXPECT_EQ(cond_.GapDistUW, 549);
  EXPECT_EQ(cond_.MarkDistUW, 1600);
}

TEST_F(PrintConditionCallback, InitOutsideTheHostsInitialisationOrWithoutRecordsIsLeftAlone) {
  ctx_.bHostInit = 0;
  cond_.GapDistUW = 7;
  platform::setDialogOperator(kCondPage, [](OperatedDialog& d) { d.click(2); });
  platform::dialogBoxParam(kCondPage, nullptr, hostPageProc, 0);
  ASSERT_FALSE(results_.empty());
  EXPECT_EQ(results_.front().result, 0);
  EXPECT_EQ(ctx_.bHandled, 0);
  EXPECT_EQ(cond_.GapDistUW, 7);
  // Missing host records are not touched.
  EXPECT_EQ(NyPrCondDlgCB(nullptr, platform::kMsgInitDialog, 0, 0, nullptr), 0);
  CondDlgCtxST noCond{1, 0, &label_, nullptr};
  EXPECT_EQ(NyPrCondDlgCB(nullptr, platform::kMsgCommand, 1, 0, &noCond), 0);
  EXPECT_EQ(noCond.bHandled, 0);
  EXPECT_EQ(NyPrCondDlgCB(nullptr, platform::kMsgDestroy, 0, 0, &ctx_), 0);
}

TEST_F(PrintConditionCallback, OptionClicksFollowTheEnablingRules) {
  openPage([&](OperatedDialog& d) {
    // Sensor distances: their boxes and fields follow 20704 and 20711/20712.
    EXPECT_EQ(clickResult(d, 20704), 1);
    EXPECT_EQ(ctx_.bHandled, 1);
    EXPECT_TRUE(d.enabled(20711));
    EXPECT_FALSE(d.enabled(20118));
    EXPECT_EQ(clickResult(d, 20711), 0);
    EXPECT_TRUE(d.enabled(20118));
    EXPECT_FALSE(d.enabled(20117));

    // Auto cutter: its distance opens. Which boxes close while one is ticked: the next test.
    EXPECT_EQ(clickResult(d, 20707), 1);
    EXPECT_TRUE(d.enabled(20107));
    EXPECT_TRUE(d.enabled(20703));
    EXPECT_EQ(clickResult(d, 20707), 1);
    EXPECT_FALSE(d.enabled(20107));
    EXPECT_TRUE(d.enabled(20705));
    EXPECT_TRUE(d.enabled(20706));

    // Peel ticked and unticked gives cut back.
    EXPECT_EQ(clickResult(d, 20706), 1);
    EXPECT_EQ(clickResult(d, 20706), 1);
    EXPECT_TRUE(d.enabled(20705));

    // Sensor option off closes the sensor distance.
    EXPECT_EQ(clickResult(d, 20706), 1);
    EXPECT_EQ(clickResult(d, 20704), 1);
    EXPECT_FALSE(d.enabled(20118));

    // The refresh button is the driver's only while the host initialises the page.
    EXPECT_EQ(clickResult(d, 20715), 0);
    EXPECT_EQ(ctx_.bHandled, 0);
    ctx_.bHostInit = 1;
    EXPECT_EQ(clickResult(d, 20715), 1);
    EXPECT_EQ(ctx_.bHandled, 1);
    ctx_.bHostInit = 0;
  });
}

// Cut, peel and auto cut exclude one another and peel needs the sensor option: from any
// ticks the host's page starts with, at init or when the host switches to this printer,
// and after any click the user can still make, no two of them are ticked and a ticked one
// keeps the other two closed.
TEST_F(PrintConditionCallback, NoStartingStateLetsTwoCuttingOptionsBeTickedTogether) {
  constexpr int kBoxes[] = {20704, 20705, 20706, 20707};
  auto expectExclusive = [](OperatedDialog& d, const std::string& when) {
    SCOPED_TRACE(when);
    const int cut = d.checked(20705), peel = d.checked(20706), autoCut = d.checked(20707);
    EXPECT_LE(cut + peel + autoCut, 1);
    EXPECT_FALSE(cut && (d.enabled(20706) || d.enabled(20707)));
    EXPECT_FALSE(peel && (d.enabled(20705) || d.enabled(20707)));
    EXPECT_FALSE(autoCut && (d.enabled(20705) || d.enabled(20706)));
    EXPECT_FALSE(!d.checked(20704) && (peel || d.enabled(20706)));
  };
  for (int start = 0; start < 16; ++start) {
    SCOPED_TRACE(start);
    g_tickedAtStart.clear();
    for (int bit = 0; bit < 4; ++bit) {
      if (start & (1 << bit)) g_tickedAtStart.push_back(kBoxes[bit]);
    }
    openPage([&](OperatedDialog& d) {
      expectExclusive(d, "init");
      for (int round = 0; round < 2; ++round) {
        for (int id : kBoxes) {
          if (d.enabled(id) && d.click(id)) expectExclusive(d, "click " + std::to_string(id));
        }
      }
      for (int id : kBoxes) platform::checkDlgButton(d.window(), id, 0);
      for (int id : g_tickedAtStart) platform::checkDlgButton(d.window(), id, 1);
      ctx_.bHostInit = 1;
      ASSERT_TRUE(d.selectCombo(20714, 0));
      ctx_.bHostInit = 0;
      expectExclusive(d, "printer switched");
    });
  }
}

TEST_F(PrintConditionCallback, CutOptionOffersWindingOnlyWhereThePrinterHasIt) {
  setForcedWinder(false);
  openPage([&](OperatedDialog& d) {
    EXPECT_TRUE(d.click(20717));
    EXPECT_EQ(clickResult(d, 20705), 1);
    EXPECT_EQ(d.checked(20525), 1);
    EXPECT_FALSE(d.enabled(20707));
    EXPECT_FALSE(d.enabled(20717));
    EXPECT_FALSE(d.enabled(20718));
    EXPECT_EQ(d.checked(20716), 1);
  });
  setForcedWinder(true);
  openPage([&](OperatedDialog& d) {
    EXPECT_EQ(clickResult(d, 20705), 1);
    EXPECT_TRUE(d.enabled(20717));
    EXPECT_TRUE(d.enabled(20718));
  });
}

TEST_F(PrintConditionCallback, HostSwitchingToThisPrinterResetsTheDistances) {
  cond_.GapDistUW = 700;
  openPage([&](OperatedDialog& d) {
    EXPECT_EQ(d.text(20118), "699");
    ctx_.bHostInit = 1;
    ctx_.bHandled = 0;
    EXPECT_TRUE(d.selectCombo(20714, 0));
    EXPECT_EQ(lastResult(), 1);
    EXPECT_EQ(ctx_.bHandled, 1);
    EXPECT_EQ(d.text(20118), "548");
    EXPECT_EQ(d.text(20117), "548");
    EXPECT_EQ(d.text(20107), "305");
    for (int id : {20703, 20713, 20525, 20526}) EXPECT_FALSE(d.enabled(id)) << id;
    // The same selection in normal operation is not the driver's business.
    ctx_.bHostInit = 0;
    EXPECT_TRUE(d.selectCombo(20714, 0));
    EXPECT_EQ(lastResult(), 0);
  });
  EXPECT_EQ(cond_.GapDistUW, 549);
  EXPECT_EQ(cond_.MarkDistUW, 549);
  EXPECT_EQ(cond_.CutterDistUW, 306);
}

// A printer number outside the range stands for the first printer.
TEST_F(PrintConditionCallback, ConfirmStoresTheDistancesAndAsksThePrinter) {
  cond_.PrinterNoUB = 0;
  intptr_t closed = openPage([&](OperatedDialog& d) {
    openDistances(d);
    type(d, 20118, "240");
    type(d, 20117, "1600");
    type(d, 20107, "0");
    EXPECT_EQ(clickResult(d, 1), 0);
  });
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(storedField(4), "0240");
  EXPECT_EQ(storedField(5), "1600");
  EXPECT_EQ(storedField(56), "0000");
  EXPECT_EQ(sim_.receivedFrames("STS").size(), 1u);
}

TEST_F(PrintConditionCallback, OutOfRangeDistanceNamesItAndKeepsTheFocusOnIt) {
  const std::string before = readIni("KT3600R Info", "KT00");
  const struct {
    int control;
    const char* bad;
    const char* good;
    const char* message;  // UTF-8
  } rows[] = {
      {20118, "239", "1600",
       "パラメータ「ｷﾞｬｯﾌﾟｾﾝｻｰから印字位置までの距離」は、240～1600の数値を入力して下さい。"},
      {20117, "1601", "800",
       "パラメータ「ﾏｰｸｾﾝｻｰから印字位置までの距離」は、240～1600の数値を入力して下さい。"},
      {20107, "-1", "0",  // read signed: a minus is no large number
       "パラメータ「オートカッターから印字位置までの距離」は、0～1200の数値を入力して下さい。"},
      {20107, "1201", nullptr,
       "パラメータ「オートカッターから印字位置までの距離」は、0～1200の数値を入力して下さい。"},
  };
  openPage([&](OperatedDialog& d) {
    openDistances(d);
    for (const auto& r : rows) {
      SCOPED_TRACE(r.control);
      messages_.clear();
      type(d, r.control, r.bad);
      EXPECT_EQ(clickResult(d, 1), 2);
      EXPECT_EQ(d.focus(), platform::getDlgItem(d.window(), r.control));
      ASSERT_EQ(messages_.size(), 1u);
      EXPECT_EQ(messages_[0].text, cp932(r.message));
      EXPECT_EQ(messages_[0].caption, cp932("エラー又は警告メッセージ"));
      if (r.good != nullptr) type(d, r.control, r.good);
    }
    EXPECT_FALSE(d.ended());
    // The values before the bad one are taken in memory, nothing is saved yet.
    EXPECT_EQ(settingsFieldText(0, kFieldGapSensorDist), "1600");
    EXPECT_EQ(settingsFieldText(0, kFieldMarkSensorDist), "0800");
    EXPECT_EQ(readIni("KT3600R Info", "KT00"), before);
  });
  EXPECT_TRUE(sim_.receivedFrames("STS").empty());
}

TEST_F(PrintConditionCallback, PeelingFasterThan100IsRefused) {
  openPage([&](OperatedDialog& d) {
    clickResult(d, 20704);
    clickResult(d, 20706);
    ASSERT_EQ(d.checked(20706), 1);
    type(d, 20701, "101");
    EXPECT_EQ(clickResult(d, 1), 1);
    EXPECT_EQ(ctx_.bHandled, 1);
    EXPECT_EQ(d.focus(), platform::getDlgItem(d.window(), 20701));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(
        messages_[0].text.find(cp932("自動剥離の際は「印字速度」70～100mm/sに設定して下さい。")),
        std::string::npos);
    EXPECT_EQ(stKtRSE[0].dwLastError, kNoError);
    type(d, 20701, "100");
    EXPECT_EQ(clickResult(d, 1), 0);
    EXPECT_TRUE(d.ended());
  });
}

// Confirming asks the printer: what keeps the page open and what does not.
TEST_F(PrintConditionCallback, ConfirmWithoutAddressOrOfAnotherModelKeepsThePageOpen) {
  writeIni("KT3600R Info", "KT00", "");
  openPage([&](OperatedDialog& d) {
    EXPECT_EQ(clickResult(d, 1), 1);
    EXPECT_EQ(ctx_.bHandled, 1);
    EXPECT_FALSE(d.ended());
  });
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].text.find(cp932("IPアドレスを設定して下さい！")), std::string::npos);
  EXPECT_EQ(stKtRSE[0].dwLastError, kNoError);

  configurePrinter(1, sim_.addressValue());
  sim_.setModelHeader("21200");
  openPage([&](OperatedDialog& d) {
    EXPECT_EQ(clickResult(d, 1), 1);
    EXPECT_EQ(ctx_.bHandled, 1);
    EXPECT_FALSE(d.ended());
  });
  EXPECT_EQ(stKtRSE[0].dwLastError, 60678u);
  // The distances were saved before the printer was asked.
  EXPECT_EQ(storedField(4), "0548");

  sim_.stop();  // an unreachable printer still accepts the conditions
  EXPECT_EQ(openPage([&](OperatedDialog& d) { EXPECT_EQ(clickResult(d, 1), 0); }), 1);
}

}  // namespace
}  // namespace nypr
