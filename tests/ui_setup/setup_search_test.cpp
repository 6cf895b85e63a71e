// The setup dialog's search button against printers answering on a private network.
#include <gtest/gtest.h>

#include <string>

#include "discovery/search_list_dialog.h"
#include "host_fixture.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "ordered_printers.h"
#include "platform/ui_operator.h"
#include "test_network.h"
#include "test_responder.h"

namespace nypr {
namespace {

using platform::OperatedDialog;
using testing::TestNetwork;

class SetupSearch : public test::HostTest {
 protected:
  void TearDown() override {
    platform::clearDialogOperators();
    HostTest::TearDown();
  }
  std::string storedLine() { return readIni("KT3600R Info", "KT00"); }
};

// A cancelled list keeps the address; a chosen printer fills it, saved only on OK.
TEST_F(SetupSearch, ChosenPrinterFillsTheAddressWhichIsSavedOnOk) {
  TestNetwork& net = testing::sharedTestNetwork();
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  writeIni("KT3600R Info", "KT00", "0A000009");
  int lists = 0;
  platform::setDialogOperator(kSearchListTemplate, [&](OperatedDialog& d) {
    if (++lists == 1) {
      EXPECT_TRUE(d.clickListRow(1038, 0));
      EXPECT_TRUE(d.click(2));
      return;
    }
    ASSERT_EQ(d.listRows(1038), 2);
    EXPECT_TRUE(d.clickListRow(1038, 1));
    EXPECT_TRUE(d.click(1));
  });
  uint32_t shownAfterCancel = 0;
  uint32_t shownAfterChoice = 0;
  std::string storedBeforeOk;
  platform::setDialogOperator("DIALOG_KT36R", [&](OperatedDialog& d) {
    {
      testing::OrderedPrinters printers(net, {{testing::printerReply(1, "KT-3600R  Ver2.50")}});
      ASSERT_TRUE(printers.allBound());
      EXPECT_TRUE(d.click(1038));
    }
    shownAfterCancel = d.ipAddress(6101);
    {
      testing::OrderedPrinters printers(net, {{testing::printerReply(1, "KT-8100S Ver2.22")},
                                              {testing::printerReply(2, "KT-3600R  Ver1.31")}});
      ASSERT_TRUE(printers.allBound());
      EXPECT_TRUE(d.click(1038));
    }
    shownAfterChoice = d.ipAddress(6101);
    storedBeforeOk = storedLine();
    EXPECT_TRUE(d.click(1));
  });
  int32_t result = 0;
  net.runAsDriver([&] { result = NyPrPrinterSetup(nullptr, 1, nullptr); });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(lists, 2);
  EXPECT_EQ(shownAfterCancel, 0x0A000009u);
  EXPECT_EQ(shownAfterChoice, net.printerAddress(1));
  EXPECT_EQ(storedBeforeOk, "0A000009");  // only shown until "設定"
  char expected[16];
  std::snprintf(expected, sizeof expected, "%08X#", net.printerAddress(1));
  EXPECT_EQ(storedLine().substr(0, 9), expected);
}

}  // namespace
}  // namespace nypr
