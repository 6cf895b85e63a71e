// The 200 data bytes of PRS/FES and the parameter record updates that go with them.
#include "driver/print_conditions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/printer_settings.h"

namespace nypr {
namespace {

class ConditionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(PrinterSettings[0], 0, kSettingsRecordSize);
    SetDefaultSettingsFnV(0);
    factory_ = record();
    label_.WidthUW = 101;   // 121.2 dots
    label_.LengthUW = 104;  // 124.8 dots
    label_.GapUW = 3;       // 3.6 dots
    cond_.Cond2UW = 1500;
    cond_.Cond4UW = 45;
    cond_.CountUW = 0;
    cond_.OptionFlagsUW = NYPR_COND_THERMAL_TRANSFER | NYPR_COND_FLAG_4 | NYPR_COND_AUTO_PEEL |
                          NYPR_COND_AUTO_CUT | NYPR_COND_FLAG_80 | NYPR_COND_FLAG_100;
    in_.label = &label_;
    in_.cond = &cond_;
    in_.allowFlag80 = true;
    in_.allowFlag100 = false;
    in_.copies = 12000;
    in_.posAdjX = -5;
    in_.posAdjY = 12;
  }
  std::string build(ConditionsCommand command) {
    char data[kConditionsDataLen + 1] = {};
    buildConditionsData(0, command, in_, data);
    return std::string(data, kConditionsDataLen);
  }
  std::string record() const { return std::string(PrinterSettings[0], kSettingsRecordSize); }
  // The factory record (its values are the settings store's) with byte 30, flag 0x100, and
  // fields 51-54 (length in dots, auto-cut, count, flag 0x80) as a job leaves them.
  std::string factoryWith(char flag100, const std::string& fields51to54) const {
    std::string r = factory_;
    r[30] = flag100;
    return r.replace(136, 9, fields51to54);
  }

  std::string factory_;

  LabelFormatST label_{};
  PrintCondST cond_{};
  ConditionsInput in_;
};

TEST(Dots, RoundToTheNearestDot) {
  // Halves and fractions away from zero alike.
  const std::pair<int, int> cases[] = {{100, 120}, {101, 121}, {104, 125}, {-104, -125}};
  for (const auto& [tenthMm, dots] : cases) EXPECT_EQ(dotsFromTenthMm(tenthMm), dots) << tenthMm;
}

TEST_F(ConditionsTest, PrintDataOfAKnownJob) {
  const std::string expected = std::string("0121") +           // 0-3 width, dots
                               "0125" +                        // 4-7 length, dots
                               "004" +                         // 8-10 gap, dots
                               "999" +                         // 11-13 condition 1500, capped
                               "045" +                         // 14-16 condition 45
                               "1" +                           // 17 thermal transfer
                               "0" +                           // 18 flag 0x8
                               "1" +                           // 19 auto-peel
                               "1" +                           // 20 flag 0x4
                               "0" +                           // 21 flag 0x2
                               "-05" + "012" +                 // 22-27 position adjustments
                               "9999" +                        // 28-31 copies 12000, capped
                               factoryWith('0', "012519991");  // 32-199
  // Position 62 (record byte 30) is "0": the host does not let flag 0x100 through,
  // although the record itself says "1".
  EXPECT_EQ(build(ConditionsCommand::Print), expected);
  EXPECT_EQ(record().substr(30, 1), "1");
  EXPECT_EQ(record().substr(136, 9), "012519991");  // fields 51-54
}

TEST_F(ConditionsTest, FieldsFollowTheirFlagsAndLimits) {
  in_.allowFlag100 = true;  // flag 0x100 reaches the printer only when the host allows it
  EXPECT_EQ(build(ConditionsCommand::Print)[kConditionsFlag100Pos], '1');
  cond_.OptionFlagsUW &= ~NYPR_COND_FLAG_100;
  EXPECT_EQ(build(ConditionsCommand::Print)[kConditionsFlag100Pos], '0');
  EXPECT_EQ(record()[30], '0');

  cond_.OptionFlagsUW |= NYPR_COND_FLAG_200;  // 0x200 overrides auto-cut
  in_.allowFlag80 = false;
  cond_.CountUW = 42;
  build(ConditionsCommand::Print);
  EXPECT_EQ(record().substr(140, 5), "00420");
  cond_.CountUW = 1000;
  build(ConditionsCommand::Print);
  EXPECT_EQ(record().substr(141, 3), "999");

  in_.copies = -3;  // sent as none
  EXPECT_EQ(build(ConditionsCommand::Print).substr(28, 4), "0000");
  label_.LengthUW = 9000;  // 10800 dots and 1200 dots keep their first digits
  label_.GapUW = 1000;
  const std::string data = build(ConditionsCommand::Print);
  EXPECT_EQ(data.substr(4, 4), "1080");
  EXPECT_EQ(data.substr(8, 3), "120");
}

TEST_F(ConditionsTest, FeedCarriesOneCopyAndTheRecordAsItIs) {
  cond_.OptionFlagsUW |= NYPR_COND_FLAG_200;  // plays no part in a feed
  in_.allowFlag80 = false;                    // nor do the host's permissions
  const std::string data = build(ConditionsCommand::Feed);
  EXPECT_EQ(data.substr(28, 4), "0001");
  EXPECT_EQ(data[kConditionsFlag100Pos], '1');  // record byte 30, flag 0x100 set
  EXPECT_EQ(data.substr(32), factoryWith('1', "012519991"));
}

TEST_F(ConditionsTest, LaterUpdatesChangeOnlyTheRecordForTheNextJob) {
  cond_.GapDistUW = 0;         // not given: 548
  cond_.MarkDistUW = 100;      // 99, raised to 240
  cond_.CutterDistUW = 20000;  // 19999, limited to 9999
  const std::string data = build(ConditionsCommand::Print);
  applyLaterSettingsUpdates(0, cond_);
  EXPECT_EQ(data.substr(32 + 10, 8), "05480548");
  EXPECT_EQ(data.substr(32 + 147, 4), "0305");
  EXPECT_EQ(record().substr(10, 8), "05480240");
  EXPECT_EQ(record().substr(147, 4), "9999");

  cond_.GapDistUW = 1000;   // 999
  cond_.MarkDistUW = 5000;  // 4999, limited to 1600
  cond_.CutterDistUW = 0;   // not given: 305
  applyLaterSettingsUpdates(0, cond_);
  EXPECT_EQ(record().substr(10, 8), "09991600");
  EXPECT_EQ(record().substr(147, 4), "0305");
}

}  // namespace
}  // namespace nypr
