// The search list dialog, run in the driver's namespace and operated as a user would.
#include "discovery/search_list_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/slots.h"
#include "discovery/printer_search.h"
#include "fake_clock.h"
#include "host_fixture.h"
#include "ordered_printers.h"
#include "platform/text.h"
#include "platform/ui_operator.h"
#include "test_data.h"
#include "test_network.h"
#include "test_responder.h"

namespace nypr {
namespace {

using platform::OperatedDialog;
using testing::TestNetwork;

class SearchListDialog : public test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    if (!net().available()) GTEST_SKIP() << net().unavailableReason();
    nSearchSel = 42;
  }
  void TearDown() override {
    platform::clearDialogOperators();
    HostTest::TearDown();
  }
  static TestNetwork& net() { return testing::sharedTestNetwork(); }

  // Printers answer with these models (one printer each); then the dialog is opened in
  // the driver's namespace for slot `slot` and handed to `op`. Returns the dialog's result.
  intptr_t openWith(const std::vector<std::string>& models, int slot, platform::DialogOperator op) {
    platform::setDialogOperator(kSearchListTemplate, std::move(op));
    std::vector<std::vector<std::string>> replies;
    for (size_t i = 0; i < models.size(); ++i) {
      replies.push_back({testing::printerReply(static_cast<int>(i + 1), models[i])});
    }
    intptr_t result = -99;
    SetupCtxST ctx{static_cast<uint8_t>(slot), nullptr, nullptr};
    testing::OrderedPrinters printers(net(), replies);
    bool allBound = printers.allBound();
    EXPECT_TRUE(allBound);
    if (allBound) net().runAsDriver([&] { result = ShowSearchListDialogFnI(&ctx); });
    return result;
  }

  test::FakeClock clock_;
};

TEST_F(SearchListDialog, EmptyListOffersOnlyCancel) {
  bool operated = false;
  intptr_t result = openWith({}, 0, [&](OperatedDialog& d) {
    operated = true;
    EXPECT_EQ(d.listRows(1038), 0);
    ASSERT_EQ(d.listColumns(1038), 3);
    EXPECT_EQ(platform::utf8FromCp932(d.listColumnText(1038, 0)), "機械番号");
    EXPECT_EQ(d.listColumnText(1038, 1), "IP");
    EXPECT_EQ(platform::utf8FromCp932(d.listColumnText(1038, 2)), "種類");
    // Widths from the list's font: 4 wide characters, 15 and 35 narrow ones.
    EXPECT_EQ(d.listColumnWidth(1038, 0), 4 * 12 + 26);
    EXPECT_EQ(d.listColumnWidth(1038, 1), 15 * 6 + 12);
    EXPECT_EQ(d.listColumnWidth(1038, 2), 35 * 6 + 12);
    EXPECT_TRUE(d.click(2));
  });
  EXPECT_TRUE(operated);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(nSearchSel, -1);
  EXPECT_EQ(nFoundPrinter, 0);
}

// A click below the last row clears the selection; a KT-3600 row then closes with 1.
TEST_F(SearchListDialog, ClickBelowLastRowClearsSelectionAndOwnModelRowCloses) {
  intptr_t result = openWith({"KT-3600R  Ver2.50", "KT-3600R  Ver2.51"}, 3, [&](OperatedDialog& d) {
    ASSERT_EQ(d.listRows(1038), 2);
    EXPECT_EQ(d.listText(1038, 0, 0), "01");
    EXPECT_EQ(d.listText(1038, 1, 1), stFoundPrinter[1].szIPAddr);
    EXPECT_EQ(d.listText(1038, 1, 2), "KT-3600R  Ver2.51 ");
    EXPECT_TRUE(d.clickListRow(1038, 1));
    EXPECT_EQ(nSearchSel, 1);
    EXPECT_EQ(d.listSelection(1038), 1);
    EXPECT_TRUE(d.clickListAt(1038, 200));  // well below the second row
    EXPECT_EQ(nSearchSel, -1);
    EXPECT_TRUE(d.click(1));  // "選択" with nothing chosen does nothing
    EXPECT_FALSE(d.ended());
    EXPECT_TRUE(d.clickListRow(1038, 1));
    EXPECT_TRUE(d.click(1));
    EXPECT_TRUE(d.ended());
  });
  EXPECT_EQ(result, 1);
  ASSERT_EQ(nSearchSel, 1);
  EXPECT_EQ(stFoundPrinter[1].dwIPAddr, net().printerAddress(1));
  EXPECT_TRUE(messages_.empty());
}

// Another model shows 60425 and stays open; a double click on a KT-3600 row selects it.
TEST_F(SearchListDialog, OtherModelShowsMessageAndStaysOpen) {
  stKtRSE[2].dwLastError = 300;
  std::string message;
  bool stillOpen = false;
  uint32_t slotErrorAfter = 1;
  intptr_t result =
      openWith({"KT-8100_12 Ver1.16", "KT-3600R  Ver1.31"}, 2, [&](OperatedDialog& d) {
        EXPECT_TRUE(d.clickListRow(1038, 0));
        EXPECT_TRUE(d.click(1));
        stillOpen = !d.ended();
        message = messages_.empty() ? "" : messages_.back().text;
        slotErrorAfter = stKtRSE[2].dwLastError;
        EXPECT_TRUE(d.doubleClickListRow(1038, 0));  // refused again
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(d.doubleClickListRow(1038, 1));
      });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(messages_.size(), 2u);
  EXPECT_NE(platform::utf8FromCp932(message).find(testing::messageText(60425)), std::string::npos)
      << platform::utf8FromCp932(message);
  EXPECT_EQ(slotErrorAfter, 0u);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(nSearchSel, 1);
}

}  // namespace
}  // namespace nypr
