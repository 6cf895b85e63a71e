// The search list dialog, run in the driver's namespace and operated as a user would.
#include "discovery/search_list_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "discovery/printer_search.h"
#include "driver/slots.h"
#include "fake_clock.h"
#include "nyhost/nyhost_control.h"
#include "ordered_printers.h"
#include "platform/text.h"
#include "platform/ui_operator.h"
#include "test_network.h"
#include "test_responder.h"

namespace nypr {
namespace {

using platform::OperatedDialog;
using testing::TestNetwork;

class SearchListDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ini_ = std::filesystem::temp_directory_path() /
           ("nypr_search_list_" + std::to_string(::getpid()) + ".ini");
    nyhostReset();
    nyhostSetIniPath(ini_.c_str());
    nSearchSel = 42;
  }
  void TearDown() override {
    platform::clearDialogOperators();
    nyhostReset();
    std::filesystem::remove(ini_);
  }

  // Printers answer with these models (one printer each); then the dialog is opened in
  // the driver's namespace and handed to `op`. Returns the dialog's result.
  intptr_t openWith(const TestNetwork& net, const std::vector<std::string>& models,
                    platform::DialogOperator op, SetupCtxST* context) {
    platform::setDialogOperator(kSearchListTemplate, std::move(op));
    std::vector<std::vector<std::string>> replies;
    for (size_t i = 0; i < models.size(); ++i) {
      replies.push_back({testing::printerReply(static_cast<int>(i + 1), models[i])});
    }
    intptr_t result = -99;
    testing::OrderedPrinters printers(net, replies);
    bool allBound = printers.allBound();
    EXPECT_TRUE(allBound);
    if (allBound) net.runAsDriver([&] { result = ShowSearchListDialogFnI(context); });
    return result;
  }

  std::filesystem::path ini_;
  testing::FakeClock clock_;
};

TEST_F(SearchListDialog, EmptyListOffersOnlyCancel) {
  TestNetwork net(0);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  SetupCtxST ctx{0, nullptr, nullptr};
  bool operated = false;
  intptr_t result = openWith(
      net, {},
      [&](OperatedDialog& d) {
        operated = true;
        EXPECT_EQ(platform::utf8FromCp932(d.title()), "LANのKT一覧");
        EXPECT_EQ(d.listRows(1038), 0);
        ASSERT_EQ(d.listColumns(1038), 3);
        EXPECT_EQ(platform::utf8FromCp932(d.listColumnText(1038, 0)), "機械番号");
        EXPECT_EQ(d.listColumnText(1038, 1), "IP");
        EXPECT_EQ(platform::utf8FromCp932(d.listColumnText(1038, 2)), "種類");
        // Widths from the list's font: 4 wide characters, 15 and 35 narrow ones.
        EXPECT_EQ(d.listColumnWidth(1038, 0), 4 * 12 + 26);
        EXPECT_EQ(d.listColumnWidth(1038, 1), 15 * 6 + 12);
        EXPECT_EQ(d.listColumnWidth(1038, 2), 35 * 6 + 12);
        EXPECT_EQ(nSearchSel, -1);
        EXPECT_TRUE(d.click(1));
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(d.click(2));
      },
      &ctx);
  EXPECT_TRUE(operated);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(nSearchSel, -1);
  EXPECT_EQ(nFoundPrinter, 0);
}

TEST_F(SearchListDialog, ClickBelowLastRowClearsSelection) {
  TestNetwork net(2);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  SetupCtxST ctx{0, nullptr, nullptr};
  intptr_t result = openWith(
      net, {"KT-3600R  Ver2.50", "KT-3600R  Ver2.51"},
      [&](OperatedDialog& d) {
        ASSERT_EQ(d.listRows(1038), 2);
        EXPECT_EQ(d.listText(1038, 0, 0), "01");
        EXPECT_EQ(d.listText(1038, 1, 1), stFoundPrinter[1].szIPAddr);
        EXPECT_EQ(d.listText(1038, 1, 2), "KT-3600R  Ver2.51 ");
        EXPECT_TRUE(d.clickListRow(1038, 1));
        EXPECT_EQ(nSearchSel, 1);
        EXPECT_EQ(d.listSelection(1038), 1);
        // Well below the second row.
        EXPECT_TRUE(d.clickListAt(1038, 200));
        EXPECT_EQ(nSearchSel, -1);
        EXPECT_TRUE(d.click(1));  // "選択" with nothing chosen does nothing
        EXPECT_FALSE(d.ended());
        d.cancel();
      },
      &ctx);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(nSearchSel, -1);
}

TEST_F(SearchListDialog, OwnModelRowClosesWithOneAndKeepsItsRow) {
  TestNetwork net(2);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  SetupCtxST ctx{3, nullptr, nullptr};
  intptr_t result = openWith(
      net, {"KT-8100S Ver2.22", "KT-3600R  Ver1.31"},
      [&](OperatedDialog& d) {
        ASSERT_EQ(d.listRows(1038), 2);
        EXPECT_TRUE(d.clickListRow(1038, 1));
        EXPECT_TRUE(d.click(1));
        EXPECT_TRUE(d.ended());
      },
      &ctx);
  EXPECT_EQ(result, 1);
  ASSERT_EQ(nSearchSel, 1);
  EXPECT_EQ(stFoundPrinter[1].dwIPAddr, net.printerAddress(1));
  EXPECT_EQ(nyhostMessageBoxCount(), 0);
}

TEST_F(SearchListDialog, DoubleClickOnOwnModelActsAsSelect) {
  TestNetwork net(1);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  SetupCtxST ctx{0, nullptr, nullptr};
  intptr_t result = openWith(
      net, {"KT-3600R  Ver2.50"},
      [&](OperatedDialog& d) { EXPECT_TRUE(d.doubleClickListRow(1038, 0)); }, &ctx);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(nSearchSel, 0);
}

TEST_F(SearchListDialog, OtherModelShowsMessageAndStaysOpen) {
  TestNetwork net(1);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  SetupCtxST ctx{2, nullptr, nullptr};
  stKtRSE[2].dwLastError = 300;
  std::string message;
  bool stillOpen = false;
  uint32_t slotErrorAfter = 1;
  intptr_t result = openWith(
      net, {"KT-8100_12 Ver1.16"},
      [&](OperatedDialog& d) {
        EXPECT_TRUE(d.clickListRow(1038, 0));
        EXPECT_TRUE(d.click(1));
        stillOpen = !d.ended();
        message = nyhostLastMessageText();
        slotErrorAfter = stKtRSE[2].dwLastError;
        EXPECT_TRUE(d.doubleClickListRow(1038, 0));  // refused again
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(d.click(2));
      },
      &ctx);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(nyhostMessageBoxCount(), 2);
  EXPECT_NE(platform::utf8FromCp932(message).find("選択したKTの種類が違います。"),
            std::string::npos)
      << platform::utf8FromCp932(message);
  EXPECT_EQ(slotErrorAfter, 0u);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(nSearchSel, -1);
}

}  // namespace
}  // namespace nypr
