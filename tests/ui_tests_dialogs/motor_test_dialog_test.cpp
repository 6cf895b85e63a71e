// The motor test, reached from the test hub: start, toggle and end frames, the button
// texts and what a refused command leaves.
#include <string>
#include <vector>

#include "test_dialog_fixture.h"

namespace nypr::test {
namespace {

using platform::OperatedDialog;

class MotorTestTest : public TestDialogTest {
 protected:
  // Opens the hub, presses "ﾓｰﾀﾃｽﾄ" and hands the motor dialog to `op`.
  void runMotorTest(platform::DialogOperator op) {
    platform::setDialogOperator("DIALOG_MOTO_TEST", std::move(op));
    open("DIALOG_KT36R_TEST", TestHubDlgProc, [](OperatedDialog& d) {
      EXPECT_TRUE(d.click(6014));
      d.click(2);
    });
  }
  std::vector<std::string> motorPayloads() const {
    std::vector<std::string> out;
    for (const auto& f : sim_.receivedFrames()) {
      const std::string code = f.code();
      if (code == "MIS" || code == "MTS" || code == "MES") out.push_back(f.payload());
    }
    return out;
  }
};

TEST_F(MotorTestTest, EachButtonStartsAndStopsItsMotor) {
  // The frames sent say which motor ran when; the buttons' texts follow them.
  runMotorTest([&](OperatedDialog& d) {
    EXPECT_EQ(d.text(6013), text(60027));
    EXPECT_EQ(d.text(6014), text(60029));

    EXPECT_TRUE(d.click(6013));
    EXPECT_EQ(d.text(6013), text(60028));
    EXPECT_TRUE(d.click(6014));
    EXPECT_EQ(d.text(6014), text(60030));
    EXPECT_TRUE(d.click(6013));
    EXPECT_EQ(d.text(6013), text(60027));
    EXPECT_TRUE(d.click(2));
    EXPECT_TRUE(d.ended());
  });
  const std::vector<std::string> expected = {"2S200MIS", "2S200MTS01", "2S200MTS11", "2S200MTS00",
                                             "2S200MES"};
  EXPECT_EQ(motorPayloads(), expected);
  EXPECT_EQ(sim_.connections().size(), 1u);  // one connection for all the steps
  EXPECT_TRUE(messages_.empty());
}

TEST_F(MotorTestTest, EveryOpeningStartsFromStart) {
  runMotorTest([](OperatedDialog& d) {
    d.click(6013);
    d.click(6014);
    d.click(2);  // both left "running" as far as the buttons know
  });
  runMotorTest([](OperatedDialog& d) {
    EXPECT_EQ(d.text(6013), text(60027));
    EXPECT_EQ(d.text(6014), text(60029));
    d.click(6014);
    d.click(2);
  });
  // The second opening's press is a start again, not a stop.
  const std::vector<std::string> expected = {"2S200MIS", "2S200MTS01", "2S200MTS11", "2S200MES",
                                             "2S200MIS", "2S200MTS11", "2S200MES"};
  EXPECT_EQ(motorPayloads(), expected);
}

TEST_F(MotorTestTest, ARefusedPressKeepsTextAndToggleAndARefusedEndIsShown) {
  sim_.addFault(fault("MTS"));
  sim_.addFault(fault("MES"));
  runMotorTest([&](OperatedDialog& d) {
    d.click(6013);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find(text(60408)), std::string::npos);
    EXPECT_EQ(d.text(6013), text(60027));
    EXPECT_FALSE(d.ended());
    d.click(6013);  // still a start
    EXPECT_EQ(d.text(6013), text(60028));
    d.click(2);
  });
  const std::vector<std::string> expected = {"2S200MIS", "2S200MTS01", "2S200MTS01", "2S200MES"};
  EXPECT_EQ(motorPayloads(), expected);
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_NE(messages_[1].text.find(text(60409)), std::string::npos);
}

TEST_F(MotorTestTest, RefusedStartOpensNoMotorDialog) {
  sim_.addFault(fault("MIS"));
  bool opened = false;
  runMotorTest([&](OperatedDialog&) { opened = true; });
  EXPECT_FALSE(opened);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].text.find(text(60407)), std::string::npos);
  EXPECT_TRUE(sim_.receivedFrames("MES").empty());
}

}  // namespace
}  // namespace nypr::test
