// The high-level parameter dialog against the simulated printer: its rows, radio groups,
// the printer's body travel distance, and storing in memory only.
#include <string>
#include <vector>

#include "maintenance_fixture.h"
#include "settings/printer_settings.h"
#include "test_data.h"

namespace nypr::test {
namespace {

using platform::OperatedDialog;

class HighLevelDialog : public MaintenanceTest {};

TEST_F(HighLevelDialog, OpeningShowsTheRecordAndTheBodyTravelOrItsError) {
  sim_.setTravel(100, 0, 12345678);  // 12 km 345 m 678 mm
  intptr_t result = openHighLevel([&](OperatedDialog& d) {
    expectOpeningTexts(d);
    EXPECT_EQ(d.checked(6930), 1);
    EXPECT_EQ(d.checked(6938), 1);
    EXPECT_EQ(d.checked(6940), 1);
    EXPECT_EQ(d.checked(6090), 0);
    EXPECT_EQ(d.text(6607), "12.345678");
    d.cancel();
  });
  EXPECT_EQ(result, 0);
  const auto lrs = sim_.receivedFrames("LRS");
  ASSERT_EQ(lrs.size(), 1u);
  // Read mode: the distance fields go out as the command's zeros.
  EXPECT_EQ(lrs[0].payload(), "2S200LRS00010000000000");
  EXPECT_TRUE(messages_.empty());

  sim_.addFault(fault("LRS"));  // a travel that cannot be read shows the error
  openHighLevel([&](OperatedDialog& d) {
    EXPECT_EQ(d.text(6607), "");
    d.cancel();
  });
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(
      messages_[0].text.find(cp932("プリンターのヘッド走行距離取る時にエラーが発生しました！")),
      std::string::npos);
}

TEST_F(HighLevelDialog, RadioGroupsAndTheWinderBoxAreStoredInMemoryOnly) {
  const std::string before = settingsLine();
  intptr_t result = openHighLevel([&](OperatedDialog& d) {
    EXPECT_TRUE(d.click(6932));
    EXPECT_TRUE(d.click(6935));
    EXPECT_TRUE(d.click(6941));
    EXPECT_TRUE(d.click(6090));
    EXPECT_TRUE(d.click(1));
  });
  EXPECT_EQ(result, 1);
  const std::pair<int, const char*> stored[] = {{47, "2"}, {48, "0"}, {61, "1"},
                                                {49, "1"}, {29, "0"}, {30, "00"}};
  for (const auto& [field, text] : stored) EXPECT_EQ(memoryField(field), text) << field;
  EXPECT_EQ(settingsLine(), before);

  // A wide group with nothing ticked is stored as 5, which ticks its first button later.
  openHighLevel([&](OperatedDialog& d) {
    EXPECT_EQ(d.checked(6932), 1);
    EXPECT_EQ(d.checked(6941), 1);
    EXPECT_EQ(d.checked(6090), 1);
    platform::checkDlgButton(d.window(), 6932, 0);
    EXPECT_TRUE(d.click(6940));  // back feed off
    EXPECT_TRUE(d.click(1));
  });
  EXPECT_EQ(memoryField(47), "5");
  EXPECT_EQ(memoryField(61), "0");
  openHighLevel([&](OperatedDialog& d) {
    EXPECT_EQ(d.checked(6930), 1);
    d.cancel();
  });
}

// Every parameter, in the order the dialog checks them: one past either end of its range
// is refused with its name and range (the rows before it already taken in memory), and its
// highest value is stored in its field; a negative value keeps its sign.
TEST_F(HighLevelDialog, EveryParameterIsCheckedAgainstItsRangeAndStoredInItsField) {
  const auto rows = testing::readTestTable("highlevel_parameters.txt");
  ASSERT_EQ(rows.size(), 31u);
  // What a row stores: its highest value, but -5 for the first signed one.
  auto value = [](const std::vector<std::string>& row) {
    return row[0] == "6911" ? std::string("-5") : row[3];
  };
  auto field = [&](const std::vector<std::string>& row) {
    const std::string v = value(row), digits = v[0] == '-' ? v.substr(1) : v;
    const std::string sign = v[0] == '-' ? "-" : "";
    return sign + std::string(std::stoul(row[5]) - sign.size() - digits.size(), '0') + digits;
  };
  const intptr_t result = openHighLevel([&](OperatedDialog& d) {
    for (size_t i = 0; i < rows.size(); ++i) {
      const auto& row = rows[i];
      const int control = std::stoi(row[0]);
      const int lowest = std::stoi(row[2]);
      const int highest = std::stoi(row[3]);
      for (const int outside : {highest + 1, lowest - 1}) {
        SCOPED_TRACE(row[1] + " " + std::to_string(outside));
        ASSERT_TRUE(d.setText(control, std::to_string(outside)));
        EXPECT_TRUE(d.click(1));
        EXPECT_FALSE(d.ended());
        EXPECT_EQ(lastMessage(), rangeMessage(row[1], lowest, highest));
        EXPECT_EQ(d.focus(), platform::getDlgItem(d.window(), control));
        if (i > 0) {
          EXPECT_EQ(memoryField(std::stoi(rows[i - 1][4])), field(rows[i - 1]));
        }
      }
      ASSERT_TRUE(d.setText(control, value(row)));
    }
    EXPECT_TRUE(d.click(1));
  });
  EXPECT_EQ(result, 1);
  for (const auto& row : rows) EXPECT_EQ(memoryField(std::stoi(row[4])), field(row)) << row[1];
  openHighLevel([&](OperatedDialog& d) {
    EXPECT_EQ(d.text(6911), "-5");
    d.cancel();
  });
}

TEST_F(HighLevelDialog, ClearingTheBodyTravelAsksFirst) {
  sim_.setTravel(100, 0, 12345678);
  openHighLevel([&](OperatedDialog& d) {
    answers_ = {7};
    EXPECT_TRUE(d.click(6015));
    ASSERT_EQ(questions_.size(), 1u);
    EXPECT_EQ(questions_[0].id, 0u);
    EXPECT_EQ(questions_[0].text, cp932("プリンターの本体走行距離をクリアしてもよろしいですか？"));
    EXPECT_EQ(sim_.receivedFrames("LRS").size(), 1u);  // the opening's read only
    EXPECT_EQ(d.text(6607), "12.345678");
    EXPECT_TRUE(d.click(6015));
    const auto lrs = sim_.receivedFrames("LRS");
    ASSERT_EQ(lrs.size(), 2u);
    EXPECT_EQ(lrs[1].payload(), "2S200LRS00011000000000");
    EXPECT_EQ(d.text(6607), "0");
    d.cancel();
  });
  EXPECT_EQ(sim_.state().bodyTravelMm, 0u);
}

TEST_F(HighLevelDialog, TestFeedAndPrintGoToThePrinter) {
  openHighLevel([&](OperatedDialog& d) {
    EXPECT_TRUE(d.click(6011));
    EXPECT_EQ(sim_.receivedFrames("FES").size(), 1u);
    ASSERT_TRUE(d.setText(6009, "0"));
    EXPECT_TRUE(d.click(6012));
    EXPECT_EQ(lastMessage(), rangeMessage("発行枚数", 1, 9999));
    for (int id : {6012, 6011, 1, 2, 6015}) EXPECT_TRUE(d.enabled(id)) << id;
    EXPECT_TRUE(sim_.receivedFrames("PRS").empty());
    ASSERT_TRUE(d.setText(6009, "3"));
    EXPECT_TRUE(d.click(6012));
    ASSERT_TRUE(sim_.lastJob().has_value());
    EXPECT_EQ(sim_.lastJob()->conditions.copies, 3);
    EXPECT_EQ(sim_.lastJob()->copiesIssued, 3);
    EXPECT_EQ(messages_.size(), 1u);  // the refused count only

    // A printer error during the job is shown once the job has ended.
    sim_.raiseJobError(7, 1);
    EXPECT_TRUE(d.click(6012));
    EXPECT_EQ(messages_.size(), 2u);
    EXPECT_EQ(stKtRSE[0].dwLastError, 7u);
    d.cancel();
  });
}

}  // namespace
}  // namespace nypr::test
