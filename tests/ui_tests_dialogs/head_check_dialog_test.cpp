// The head-break check: positions on the wire, their range, and the broken dots shown.
#include <string>

#include "platform/ui.h"
#include "test_dialog_fixture.h"

namespace nypr::test {
namespace {

using platform::OperatedDialog;

class HeadCheckTest : public TestDialogTest {
 protected:
  // Types the two positions and presses OK; the dialog is then cancelled.
  intptr_t check(const std::string& start, const std::string& stop) {
    return open("DIALOG_HEAD_EXPIRE", HeadCheckDlgProc, [&](OperatedDialog& d) {
      EXPECT_TRUE(d.setText(6072, start));
      EXPECT_TRUE(d.setText(6073, stop));
      EXPECT_TRUE(d.click(1));
      EXPECT_FALSE(d.ended());
      EXPECT_TRUE(d.click(2));
    });
  }
  std::string rangeMessage() const {
    return cp932("パラメータ「検出位置」は、1～960の数値を入力して下さい。");
  }
};

TEST_F(HeadCheckTest, SmallerPositionGoesFirstAndNoBrokenDotIsAPlainNote) {
  const int beeps = platform::beepCountForTesting();
  EXPECT_EQ(check("500", "100"), 1);
  const auto frames = sim_.receivedFrames("HCS");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].bytes, std::string("\x02") + "00202S200HCS010005000020\x03");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, cp932("ﾍｯﾄﾞ切れ数:0\r\n"));
  EXPECT_EQ(messages_[0].caption, "");
  EXPECT_EQ(messages_[0].style, 0u);
  EXPECT_EQ(platform::beepCountForTesting(), beeps);
}

TEST_F(HeadCheckTest, PositionsOutsideTheHeadAreRefusedBeforeSending) {
  for (const auto& [start, stop] : {std::pair{"0", "100"}, std::pair{"1", "961"},
                                    std::pair{"", "10"}, std::pair{"abc", "10"}}) {
    messages_.clear();
    check(start, stop);
    ASSERT_EQ(messages_.size(), 1u) << start << "-" << stop;
    EXPECT_EQ(messages_[0].text, rangeMessage());
  }
  EXPECT_TRUE(sim_.receivedFrames("HCS").empty());

  messages_.clear();
  check("1", "960");
  ASSERT_EQ(sim_.receivedFrames("HCS").size(), 1u);
  EXPECT_EQ(sim_.receivedFrames("HCS")[0].payload(), "2S200HCS000109600020");
}

TEST_F(HeadCheckTest, BrokenDotsAreListedFivePerLine) {
  sim_.setBrokenDots({700, 10, 20, 30, 40, 50, 61, 999});  // 999 is beyond the check
  const int beeps = platform::beepCountForTesting();
  check("960", "1");
  ASSERT_EQ(messages_.size(), 1u);
  const std::string expected = cp932(
      "ﾍｯﾄﾞ切れ数:7\r\n"
      "切れ位置1:10dot\t切れ位置2:20dot\t切れ位置3:30dot\t切れ位置4:40dot\t切れ位置5:50dot\r\n"
      "切れ位置6:61dot\t切れ位置7:700dot");
  EXPECT_EQ(messages_[0].text, expected);
  EXPECT_EQ(messages_[0].caption, text(60014));
  EXPECT_EQ(messages_[0].style, 48u);
  EXPECT_EQ(platform::beepCountForTesting(), beeps + 1);

  // Five dots end without a separator.
  sim_.setBrokenDots({1, 2, 3, 4, 5});
  messages_.clear();
  check("1", "5");
  ASSERT_EQ(messages_.size(), 1u);
  const std::string& shown = messages_[0].text;
  EXPECT_EQ(shown.substr(shown.size() - cp932("切れ位置5:5dot").size()), cp932("切れ位置5:5dot"));
}

TEST_F(HeadCheckTest, AFailedOrHungUpCheckShowsTheError) {
  const struct {
    ktsim::FaultAction action;
    int times;
    uint32_t error;
  } cases[] = {{ktsim::FaultAction::FailureFlag, 1, 60418u},
               {ktsim::FaultAction::NoAnswerClose, -1, 60404u}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    sim_.clearFaults();
    sim_.addFault(fault("HCS", c.action, c.times));
    messages_.clear();
    check("1", "960");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find(text(c.error)), std::string::npos);
    EXPECT_EQ(stKtRSE[0].dwLastError, c.error);
  }
}

}  // namespace
}  // namespace nypr::test
