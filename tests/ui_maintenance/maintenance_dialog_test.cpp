// The maintenance dialog, operated as a service technician would, against the simulated
// printer and the stand-in host.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "maintenance_fixture.h"
#include "nyhost/nyhost_control.h"
#include "platform/help.h"
#include "platform/text.h"
#include "settings/printer_settings.h"
#include "test_data.h"

namespace nypr::test {
namespace {

using platform::OperatedDialog;

class MaintenanceDialog : public MaintenanceTest {};

TEST_F(MaintenanceDialog, OpeningShowsTheRecordInItsControls) {
  bool operated = false;
  intptr_t result = openMaintenance([&](OperatedDialog& d) {
    operated = true;
    expectOpeningTexts(d);
    EXPECT_FALSE(d.enabled(6704));  // 6703: the template (tests/ui)
    EXPECT_EQ(d.checked(6708), 1);
    for (int id : {6709, 6710, 6711, 6713}) EXPECT_TRUE(d.enabled(id)) << id;
    EXPECT_EQ(d.checked(6031), 1);  // head-break check on
    EXPECT_EQ(d.checked(6030), 0);
    EXPECT_EQ(d.checked(6025), 1);  // at the start of issue
    for (int id : {6025, 6026, 6022}) EXPECT_TRUE(d.enabled(id)) << id;
    EXPECT_EQ(d.checked(6001), 1);
    ASSERT_EQ(d.comboCount(6801), 49);
    EXPECT_EQ(d.comboText(6801, 0), "-24");
    EXPECT_EQ(d.comboText(6801, 48), "24");
    EXPECT_EQ(d.comboSelection(6801), 24);
    EXPECT_EQ(d.comboSelection(6803), 24);
    EXPECT_EQ(d.comboCount(6804), 2);
    EXPECT_EQ(d.comboSelection(6804), 0);

    // Choosing "none" for the head-break check takes its timing away, and back.
    EXPECT_TRUE(d.click(6030));
    for (int id : {6025, 6026, 6022}) EXPECT_FALSE(d.enabled(id)) << id;
    EXPECT_TRUE(d.click(6031));
    for (int id : {6025, 6026, 6022}) EXPECT_TRUE(d.enabled(id)) << id;
    EXPECT_TRUE(d.click(2));
  });
  EXPECT_TRUE(operated);
  EXPECT_EQ(result, 0);  // not saved by a cancel: the defaults test
}

TEST_F(MaintenanceDialog, AStoredRecordShowsSignsHeadWidthAndHistoryOff) {
  setSettingsFieldInt(0, kFieldDensityRateTransfer, -5);
  setSettingsFieldInt(0, kFieldHistoryControl, 0);
  setSettingsFieldInt(0, 57, 0);
  stKtRSE[0].PosAdjXI = -3;
  stKtRSE[0].PosAdjYI = 7;
  stKtRSE[0].PosAdjModeI = 1;
  setSettingsFieldInt(0, kFieldHeadWidth, 965);
  openMaintenance([&](OperatedDialog& d) {
    EXPECT_EQ(d.text(6924), "-5");
    EXPECT_EQ(d.text(6777), "80");  // 965 dots
    EXPECT_EQ(d.checked(6708), 0);
    for (int id : {6709, 6710, 6711, 6713}) EXPECT_FALSE(d.enabled(id)) << id;
    EXPECT_EQ(d.checked(6030), 1);
    for (int id : {6025, 6026, 6022}) EXPECT_FALSE(d.enabled(id)) << id;
    EXPECT_EQ(d.comboSelection(6801), 21);
    EXPECT_EQ(d.comboSelection(6803), 31);
    EXPECT_EQ(d.comboSelection(6804), 1);
    EXPECT_TRUE(d.click(6708));
    for (int id : {6709, 6710, 6711, 6713}) EXPECT_TRUE(d.enabled(id)) << id;
    EXPECT_TRUE(d.selectCombo(6804, 0));
    EXPECT_TRUE(d.click(1));
  });
  // A head width of part millimetres is not rounded by storing.
  EXPECT_EQ(storedField(50), "0965");
  EXPECT_EQ(settingsLine().substr(241), "-03#007#0");
}

TEST_F(MaintenanceDialog, ValuesOutOfRangeAreRefusedWithTheirNameAndRange) {
  const auto rows = testing::readTestTable("ui_maintenance/maintenance_ranges.txt");
  ASSERT_EQ(rows.size(), 10u);
  const std::string before = settingsLine();
  intptr_t result = openMaintenance([&](OperatedDialog& d) {
    for (const auto& row : rows) {
      SCOPED_TRACE(row[0]);
      const int control = std::stoi(row[0]);
      const size_t shown = messages_.size();
      ASSERT_TRUE(d.setText(control, row[1]));
      EXPECT_TRUE(d.click(1));
      EXPECT_FALSE(d.ended());
      ASSERT_EQ(messages_.size(), shown + 1);
      EXPECT_EQ(messages_.back().text, rangeMessage(row[3], std::stoi(row[4]), std::stoi(row[5])));
      EXPECT_EQ(messages_.back().caption, cp932("エラー又は警告メッセージ"));
      EXPECT_EQ(d.focus(), platform::getDlgItem(d.window(), control));
      ASSERT_TRUE(d.setText(control, row[2]));
    }
    // The rows before a refused one are already in the record, but nothing is saved.
    ASSERT_TRUE(d.setText(6776, "50"));
    ASSERT_TRUE(d.setText(6702, "100"));
    EXPECT_TRUE(d.click(1));
    EXPECT_FALSE(d.ended());
    EXPECT_EQ(memoryField(23), "050");
    EXPECT_EQ(settingsLine(), before);
    ASSERT_TRUE(d.setText(6702, "75"));
    EXPECT_TRUE(d.click(1));
    EXPECT_TRUE(d.ended());
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(storedField(23), "050");
}

TEST_F(MaintenanceDialog, StoringWritesTheSettingsLineAndTheLabelAdjustment) {
  intptr_t result = openMaintenance([&](OperatedDialog& d) {
    ASSERT_TRUE(d.setText(6776, "55"));
    ASSERT_TRUE(d.setText(6924, "-5"));
    ASSERT_TRUE(d.setText(6923, "40"));
    ASSERT_TRUE(d.setText(6707, "400"));
    ASSERT_TRUE(d.setText(6713, "9"));
    ASSERT_TRUE(d.click(6030));  // no head-break check
    ASSERT_TRUE(d.click(6001));  // print-detection errors off
    ASSERT_TRUE(d.selectCombo(6801, 0));
    ASSERT_TRUE(d.selectCombo(6803, 30));
    ASSERT_TRUE(d.selectCombo(6804, 1));
    EXPECT_TRUE(d.click(1));
  });
  EXPECT_EQ(result, 1);
  const std::string line = settingsLine();
  ASSERT_EQ(line.size(), 250u);
  char address[16];
  std::snprintf(address, sizeof address, "%08X#", sim_.addressValue());
  EXPECT_EQ(line.substr(0, 9), address);
  const std::pair<int, const char*> stored[] = {{23, "055"},  {9, "-05"}, {8, "040"}, {7, "400"},
                                                {55, "09"},   {57, "0"},  {58, "0"},  {27, "0"},
                                                {50, "0960"}, {10, "0"},  {0, "1"}};
  for (const auto& [field, text] : stored) EXPECT_EQ(storedField(field), text) << field;
  EXPECT_EQ(line.substr(241), "-24#006#1");
  EXPECT_EQ(hostJob_.label.PosAdjXUB, 104);
  EXPECT_EQ(hostJob_.label.PosAdjYUB, 134);
}

// A stored adjustment the combos cannot show stays as stored; the label gets the nearest
// value its byte form holds, as from the setup dialog.
TEST_F(MaintenanceDialog, AdjustmentsBeyondTheCombosAreKeptAndReachTheLabelClamped) {
  stKtRSE[0].PosAdjXI = 50;
  stKtRSE[0].PosAdjYI = -30;
  stKtRSE[0].PosAdjModeI = 1;
  openMaintenance([](OperatedDialog& d) { d.click(1); });
  EXPECT_EQ(settingsLine().substr(241), "050#-30#1");
  EXPECT_EQ(hostJob_.label.PosAdjXUB, 128 + 24);
  EXPECT_EQ(hostJob_.label.PosAdjYUB, 128 - 24);
}

TEST_F(MaintenanceDialog, HistoryControlOffNeitherChecksNorStoresItsRows) {
  intptr_t result = openMaintenance([&](OperatedDialog& d) {
    ASSERT_TRUE(d.setText(6709, "150"));
    ASSERT_TRUE(d.click(6708));
    for (int id : {6709, 6710, 6711, 6713}) EXPECT_FALSE(d.enabled(id)) << id;
    EXPECT_TRUE(d.click(1));
  });
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(storedField(0), "0");
  EXPECT_EQ(storedField(1), "014");
}

TEST_F(MaintenanceDialog, DefaultsComeBackOnlyAfterYesAndAreSavedOnlyBySet) {
  setSettingsFieldInt(0, 23, 50);
  setSettingsFieldInt(0, kFieldHistoryControl, 0);
  const std::string before = settingsLine();
  intptr_t result = openMaintenance([&](OperatedDialog& d) {
    answers_ = {7};
    EXPECT_TRUE(d.click(6794));
    ASSERT_EQ(questions_.size(), 1u);
    EXPECT_EQ(questions_[0].id, 50036u);
    EXPECT_EQ(d.text(6776), "50");
    EXPECT_TRUE(sim_.receivedFrames("LRS").empty());

    EXPECT_TRUE(d.click(6794));
    EXPECT_EQ(d.text(6776), "80");
    EXPECT_EQ(d.checked(6708), 1);
    EXPECT_TRUE(d.enabled(6709));
    // The printer's head-break warning goes back to 60 km, its travel stays.
    const auto lrs = sim_.receivedFrames("LRS");
    ASSERT_EQ(lrs.size(), 1u);
    EXPECT_EQ(lrs[0].payload(), "2S200LRS10600000000000");
    EXPECT_EQ(sim_.state().warningDistanceKm, 60);
    EXPECT_EQ(settingsLine(), before);
    d.cancel();
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(settingsLine(), before);
  EXPECT_EQ(memoryField(23), "080");  // in memory until the setup dialog reloads
}

class ProgramUpdate : public MaintenanceTest {
 protected:
  void SetUp() override {
    MaintenanceTest::SetUp();
    file_ = (dir_ / "kt3600r.bin").string();
    for (int i = 0; i < 1000; ++i) content_.push_back(static_cast<uint8_t>(i * 7));
    std::ofstream(file_, std::ios::binary)
        .write(reinterpret_cast<const char*>(content_.data()), std::streamsize{1000});
    nyhostSetFileNameHandler(
        [](void* user, char* path, int size, uint32_t filter) {
          auto* self = static_cast<ProgramUpdate*>(user);
          self->filter_ = filter;
          if (!self->choose_) return 0;
          std::snprintf(path, static_cast<size_t>(size), "%s", self->file_.c_str());
          return 1;
        },
        this);
  }
  void clickUpdate() {
    openMaintenance([&](OperatedDialog& d) {
      EXPECT_TRUE(d.click(6220));
      EXPECT_TRUE(d.enabled(1));
      EXPECT_EQ(platform::activeNoticeText(), "");
      d.cancel();
    });
  }
  std::string file_;
  std::vector<uint8_t> content_;
  bool choose_ = true;
  uint32_t filter_ = 0;
};

TEST_F(ProgramUpdate, TheChosenFileGoesToThePrinterInBlocks) {
  clickUpdate();
  EXPECT_EQ(filter_, 38013u);
  ASSERT_EQ(questions_.size(), 2u);
  // The driver's own texts come with no host message id.
  EXPECT_EQ(questions_[0].id, 0u);
  EXPECT_EQ(questions_[1].id, 0u);
  EXPECT_EQ(questions_[0].text, cp932("KT3600Rをこのファイルでバージョンアップして宜しいですか。"));
  EXPECT_EQ(questions_[0].style, 0u);
  EXPECT_EQ(questions_[1].style, 2u);
  EXPECT_EQ(questions_[1].text, cp932("更新データの転送が終了しました。プリンターが自動インストール"
                                      "を終了し、再起動した後[ＯＫ]を押して下さい。"));
  // The blocks on the wire are the link suite's; here the program must arrive whole.
  const ktsim::ProgramRecord program = sim_.program();
  EXPECT_TRUE(program.complete);
  ASSERT_GE(program.data.size(), 1000u);
  EXPECT_EQ(std::vector<uint8_t>(program.data.begin(), program.data.begin() + 1000), content_);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ProgramUpdate, NoFileOrNoYesSendsNothing) {
  choose_ = false;
  clickUpdate();
  EXPECT_TRUE(questions_.empty());
  answers_ = {7};
  choose_ = true;
  clickUpdate();
  EXPECT_EQ(questions_.size(), 1u);
  EXPECT_TRUE(sim_.receivedFrames().empty());
}

TEST_F(ProgramUpdate, APrinterRefusingTheEndShowsItsError) {
  sim_.addFault(fault("INE"));
  clickUpdate();
  ASSERT_EQ(questions_.size(), 1u);  // no "finished" notice
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].text.find(cp932("転送したプログラムデータが異常！")), std::string::npos);
  EXPECT_EQ(stKtRSE[0].dwLastError, 60308u);
}

TEST_F(MaintenanceDialog, ButtonsOpenTheOtherDialogsOwnedByThisOne) {
  std::vector<std::string> opened;
  NyHwnd maintenance = nullptr;
  for (const char* name : {"DIALOG_DISPLAY", "DIALOG_KT36R_IP", "DIALOG_KT36R_TEST"}) {
    platform::setDialogOperator(name, [&, name](OperatedDialog& d) {
      opened.push_back(name);
      EXPECT_EQ(platform::getParent(d.window()), maintenance) << name;
      EXPECT_TRUE(centredOver(d.window(), maintenance)) << name;
      d.cancel();
    });
  }
  openMaintenance([&](OperatedDialog& d) {
    maintenance = d.window();
    platform::moveWindow(maintenance, 200, 150);  // away from the screen's centre
    EXPECT_TRUE(d.click(6720));
    EXPECT_TRUE(d.click(6219));
    sim_.clearRecords();
    EXPECT_TRUE(d.click(6200));
    // The test dialog starts from a freshly opened printer.
    EXPECT_FALSE(sim_.receivedFrames("STS").empty());
    d.cancel();
  });
  EXPECT_EQ(opened,
            (std::vector<std::string>{"DIALOG_DISPLAY", "DIALOG_KT36R_IP", "DIALOG_KT36R_TEST"}));
}

TEST_F(MaintenanceDialog, HelpShowsTheHostProductsTopic) {
  const int before = platform::helpRequestCountForTesting();
  platform::setHostProgramNameForTesting("NyFmt");
  openMaintenance([&](OperatedDialog& d) {
    EXPECT_TRUE(d.click(9));
    EXPECT_TRUE(
        platform::lastHelpRequestForTesting().target.ends_with("NYFMT.chm::\\html/47-24dtf.htm"));
    EXPECT_EQ(platform::lastHelpRequestForTesting().window, d.window());
    platform::setHostProgramNameForTesting("host");
    EXPECT_TRUE(d.click(9));
    d.cancel();
  });
  platform::setHostProgramNameForTesting("");
  EXPECT_EQ(platform::helpRequestCountForTesting(), before + 2);
  const std::string target = platform::lastHelpRequestForTesting().target;
  EXPECT_TRUE(target.ends_with("NYPRT.chm::\\html/prt44dtf.htm")) << target;
}

TEST_F(MaintenanceDialog, HighLevelOpensOnlyWithItsPassword) {
  struct Check {
    bool accept = false;
    std::vector<std::string> codes;
  } check;
  nyhostSetPasswordHandler(
      [](void* user, NyHwnd, const char* code) {
        auto* c = static_cast<Check*>(user);
        c->codes.push_back(code);
        return c->accept && c->codes.back() == "482" ? 1 : 0;
      },
      &check);
  int opened = 0;
  platform::setDialogOperator("DIALOG_HIGHLEVEL", [&](OperatedDialog& d) {
    ++opened;
    d.cancel();
  });
  EXPECT_EQ(openMaintenance([&](OperatedDialog& d) {
              EXPECT_TRUE(d.click(6774));
              EXPECT_EQ(opened, 0);
              check.accept = true;
              EXPECT_TRUE(d.click(6774));
              EXPECT_EQ(opened, 1);
              d.cancel();
            }),
            0);
  EXPECT_EQ(check.codes, (std::vector<std::string>{"482", "482"}));
  // Kept in memory only: the high-level dialog tests; saved by this dialog's set: the next
  // test.
}

// The address and test dialogs (and the printer initialisation before the tests) reload
// the settings for their own use; edits not yet saved, and defaults not yet saved, stay.
TEST_F(MaintenanceDialog, UnsavedEditsSurviveTheAddressAndTestDialogs) {
  nyhostSetPasswordHandler([](void*, NyHwnd, const char*) { return 1; }, nullptr);
  platform::setDialogOperator("DIALOG_HIGHLEVEL", [&](OperatedDialog& d) {
    ASSERT_TRUE(d.setText(6770, "90"));
    EXPECT_TRUE(d.click(1));
  });
  const struct {
    int edit;  // 6774: the high-level dialog sets field 37 to 90; 6794: the defaults
    const char* field37;
  } rows[] = {{6774, "90"}, {6794, "70"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.edit);
    setSettingsFieldInt(0, 37, 55);
    WritePrinterSettingsFnV(&stKtRSE[0].CurKTRInfoST);
    openMaintenance([&](OperatedDialog& d) {
      EXPECT_TRUE(d.click(row.edit));
      EXPECT_TRUE(d.click(6219));
      EXPECT_TRUE(d.click(6200));
      EXPECT_TRUE(d.click(1));
    });
    EXPECT_EQ(storedField(37), row.field37);
  }
}

TEST_F(MaintenanceDialog, TestFeedAndTestPrintGiveTheButtonsBack) {
  openMaintenance([&](OperatedDialog& d) {
    EXPECT_TRUE(d.click(6011));
    EXPECT_EQ(sim_.receivedFrames("FES").size(), 1u);
    // The parameters were stored before the feed.
    EXPECT_EQ(storedField(23), "080");
    auto expectButtonsBack = [&] {
      for (int id : {6012, 6011, 6794, 6774, 6720, 6200, 6219, 6220, 1, 2}) {
        EXPECT_TRUE(d.enabled(id)) << id;
      }
    };
    expectButtonsBack();
    ASSERT_TRUE(d.setText(6009, "0"));  // no labels: refused
    EXPECT_TRUE(d.click(6012));
    EXPECT_EQ(lastMessage(), rangeMessage("発行枚数", 1, 9999));
    EXPECT_EQ(d.focus(), platform::getDlgItem(d.window(), 6009));
    expectButtonsBack();
    EXPECT_TRUE(sim_.receivedFrames("PRS").empty());
    ASSERT_TRUE(d.setText(6009, "2"));
    EXPECT_TRUE(d.click(6012));
    EXPECT_TRUE(d.enabled(6012));
    d.cancel();
  });
  EXPECT_EQ(messages_.size(), 1u) << platform::utf8FromCp932(lastMessage());
  ASSERT_EQ(sim_.receivedFrames("PRS").size(), 1u);
  ASSERT_TRUE(sim_.lastJob().has_value());
  EXPECT_EQ(sim_.lastJob()->conditions.copies, 2);
  EXPECT_EQ(sim_.lastJob()->copiesIssued, 2);
  EXPECT_EQ(stKtRSE[0].dwUserData, 0u);
}

// A printer that is gone or not ready: each test action shows the error and gives the
// buttons back; a test print goes no further, while a test feed is still tried.
TEST_F(MaintenanceDialog, TestActionsOnAPrinterThatIsGoneOrNotReadyShowTheError) {
  const struct {
    bool gone;
    int button;
    const char* command;
    size_t sent;
  } rows[] = {{false, 6011, "FES", 1},
              {false, 6012, "PRS", 0},
              {true, 6011, "FES", 0},
              {true, 6012, "PRS", 0}};
  sim_.setHeadOpen(true);
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.gone ? "gone, " : "head open, ") + r.command);
    sim_.clearRecords();
    messages_.clear();
    if (r.gone && sim_.running()) sim_.stop();
    openMaintenance([&](OperatedDialog& d) {
      EXPECT_TRUE(d.click(r.button));
      EXPECT_FALSE(d.ended());
      EXPECT_TRUE(d.enabled(r.button));
      d.cancel();
    });
    EXPECT_FALSE(messages_.empty());
    EXPECT_EQ(sim_.receivedFrames(r.command).size(), r.sent);
    EXPECT_EQ(stKtRSE[0].dwUserData, 0u);
  }
}

}  // namespace
}  // namespace nypr::test
