// The hardware test hub operated as a technician would, against the simulated printer.
#include <string>
#include <vector>

#include "nyhost/nyhost_control.h"
#include "platform/net.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "test_dialog_fixture.h"

namespace nypr::test {
namespace {

using platform::OperatedDialog;

constexpr char kHub[] = "DIALOG_KT36R_TEST";

class TestHubTest : public TestDialogTest {
 protected:
  intptr_t openHub(platform::DialogOperator op) {
    return open(kHub, TestHubDlgProc, std::move(op));
  }
};

ktsim::MemoryCard card(const std::string& first, const std::string& second, int files = 1) {
  ktsim::MemoryCard c;
  c.present = true;
  c.files = files;
  c.firstSize = first;
  c.secondSize = second;
  return c;
}

TEST_F(TestHubTest, BuzzerAndLedTestsReachThePrinterAndFailuresShowTheirErrors) {
  const intptr_t result = openHub([&](OperatedDialog& d) {
    EXPECT_TRUE(d.click(6215));
    EXPECT_TRUE(d.click(6215));
    EXPECT_TRUE(d.click(6216));
    EXPECT_EQ(sim_.state().buzzerTests, 2);
    EXPECT_EQ(sim_.state().ledTests, 1);
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skKT));  // each test closes its connection

    sim_.addFault(fault("BZS"));
    sim_.addFault(fault("LES"));
    EXPECT_TRUE(d.click(6215));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find(text(60306)), std::string::npos);
    EXPECT_TRUE(d.click(6216));
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_NE(messages_[1].text.find(text(60305)), std::string::npos);
    EXPECT_FALSE(d.ended());
    EXPECT_TRUE(d.click(6215));  // the fault fired once: this one passes
    EXPECT_EQ(messages_.size(), 2u);
    EXPECT_TRUE(d.click(2));
  });
  EXPECT_EQ(result, 0);
  const auto buzzer = sim_.receivedFrames("BZS");
  ASSERT_EQ(buzzer.size(), 4u);
  EXPECT_EQ(buzzer[0].bytes, std::string("\x02") + "00082S200BZS\x03");
  ASSERT_EQ(sim_.receivedFrames("LES").size(), 2u);
  EXPECT_EQ(sim_.receivedFrames("LES")[0].payload(), "2S200LES");
}

// A size the printer sent that is no count is shown as sent, with no unit to suggest it was
// understood; a missing card shows the card error and leaves the fields as they were.
TEST_F(TestHubTest, CardTestShowsCountsAndSizesWithTheirUnits) {
  sim_.setCard(1, card("000000002048", "12AB", 12));
  sim_.setCard(2, card("000000000000", "005368709120"));
  // Card, then count, first size and unit, second size and unit as shown.
  const std::vector<std::vector<std::string>> shown = {
      {"0", "0003", "8.000", "MB", "4.000", "MB"},  // the printer's built-in memory
      {"2", "0001", "0", "B", "5.000", "GB"},
      {"1", "0012", "2.000", "KB", "12AB00000000", ""},
  };
  openHub([&](OperatedDialog& d) {
    ASSERT_EQ(d.comboCount(6206), 3);
    EXPECT_EQ(d.comboText(6206, 2), "2");
    EXPECT_EQ(d.comboSelection(6206), 0);
    for (const auto& row : shown) {
      SCOPED_TRACE(row[0]);
      EXPECT_TRUE(d.selectCombo(6206, std::stoi(row[0])));
      EXPECT_TRUE(d.click(6214));
      int i = 1;
      for (int id : {6208, 6209, 6212, 6210, 6213}) EXPECT_EQ(d.text(id), row[i++]) << id;
    }
    EXPECT_EQ(d.text(6207), "000");
    EXPECT_EQ(d.text(6211), text(60002));
    EXPECT_TRUE(messages_.empty());
    sim_.setCard(2, ktsim::MemoryCard{});
    EXPECT_TRUE(d.selectCombo(6206, 2));
    EXPECT_TRUE(d.click(6214));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find(text(60307)), std::string::npos);
    EXPECT_EQ(d.text(6209), "2.000");
    EXPECT_EQ(d.text(6212), "KB");
    EXPECT_FALSE(d.ended());
    EXPECT_TRUE(d.selectCombo(6206, 0));
    EXPECT_EQ(d.text(6211), text(60001));
    d.click(2);
  });
  const auto frames = sim_.receivedFrames("CDS");
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(frames[0].bytes, std::string("\x02") + "00092S200CDS0\x03");
  EXPECT_EQ(frames[1].payload(), "2S200CDS2");
  EXPECT_EQ(frames[2].payload(), "2S200CDS1");
}

TEST_F(TestHubTest, AutoCutConfirmsWithABeepOrShowsThePrintersNumber) {
  openHub([&](OperatedDialog& d) {
    const int beeps = platform::beepCountForTesting();
    int cursors = 0;
    nyhostWaitCursor(&cursors);
    EXPECT_TRUE(d.click(6020));
    EXPECT_EQ(platform::beepCountForTesting(), beeps + 1);
    int cursorsAfter = 0;
    EXPECT_EQ(nyhostWaitCursor(&cursorsAfter), 0);  // up for the cut, down again after
    EXPECT_EQ(cursorsAfter, cursors + 1);
    EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skKT));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, text(60679));
    EXPECT_EQ(messages_[0].caption, text(60045));
    EXPECT_EQ(messages_[0].style, 48u);
    EXPECT_EQ(sim_.state().cutCount, 1u);

    sim_.setCutError(7);
    d.click(6020);
    EXPECT_FALSE(d.ended());
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_NE(messages_[1].text, text(60679));
    EXPECT_EQ(messages_[1].caption, text(60014));
    EXPECT_EQ(stKtRSE[0].dwLastError, 7u);
    d.click(2);
  });
  ASSERT_EQ(sim_.receivedFrames("CTS").size(), 2u);
  EXPECT_EQ(sim_.receivedFrames("CTS")[0].bytes, std::string("\x02") + "00082S200CTS\x03");
}

TEST_F(TestHubTest, TestPrintAndHeadCheckOpenTheirDialogs) {
  std::string opened;
  for (const char* name : {"DIALOG_KT36R_TESTPRT", "DIALOG_HEAD_EXPIRE"}) {
    platform::setDialogOperator(name, [&](OperatedDialog& d) {
      opened += platform::utf8FromCp932(d.title()) + ";";
      d.click(2);
    });
  }
  openHub([](OperatedDialog& d) {
    EXPECT_TRUE(d.click(6021));
    EXPECT_TRUE(d.click(6015));
    EXPECT_FALSE(d.ended());
    d.click(2);
  });
  EXPECT_EQ(opened, "KT36R印字ﾃｽﾄ;ﾍｯﾄﾞ切れﾁｪｯｸ;");
}

}  // namespace
}  // namespace nypr::test
