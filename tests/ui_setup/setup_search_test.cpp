// The setup dialog's search button against printers answering on a private network.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "discovery/search_list_dialog.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "ordered_printers.h"
#include "platform/profile.h"
#include "platform/ui_operator.h"
#include "test_network.h"
#include "test_responder.h"

namespace nypr {
namespace {

using platform::OperatedDialog;
using testing::TestNetwork;

class SetupSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ini_ = std::filesystem::temp_directory_path() /
           ("nypr_setup_search_" + std::to_string(::getpid()) + ".ini");
    std::filesystem::remove(ini_);
    nyhostReset();
    nyhostSetIniPath(ini_.c_str());
  }
  void TearDown() override {
    platform::clearDialogOperators();
    nyhostReset();
    std::filesystem::remove(ini_);
  }
  std::string storedLine() {
    return platform::profileReadString(ini_.string(), "KT3600R Info", "KT00", "<missing>");
  }
  std::filesystem::path ini_;
};

TEST_F(SetupSearch, ChosenPrinterFillsTheAddressWhichIsSavedOnOk) {
  TestNetwork net(2);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  testing::OrderedPrinters printers(net, {{testing::printerReply(1, "KT-8100S Ver2.22")},
                                          {testing::printerReply(2, "KT-3600R  Ver1.31")}});
  ASSERT_TRUE(printers.allBound());

  platform::setDialogOperator(kSearchListTemplate, [](OperatedDialog& d) {
    ASSERT_EQ(d.listRows(1038), 2);
    EXPECT_TRUE(d.clickListRow(1038, 1));
    EXPECT_TRUE(d.click(1));
  });
  uint32_t shown = 0;
  std::string storedBeforeOk;
  platform::setDialogOperator("DIALOG_KT36R", [&](OperatedDialog& d) {
    EXPECT_TRUE(d.click(1038));
    shown = d.ipAddress(6101);
    storedBeforeOk = storedLine();
    EXPECT_TRUE(d.click(1));
  });
  int32_t result = 0;
  net.runAsDriver([&] { result = NyPrPrinterSetup(nullptr, 1, nullptr); });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(shown, net.printerAddress(1));
  EXPECT_EQ(storedBeforeOk, "<missing>");  // only shown until "設定"
  char expected[16];
  std::snprintf(expected, sizeof expected, "%08X#", net.printerAddress(1));
  EXPECT_EQ(storedLine().substr(0, 9), expected);
}

TEST_F(SetupSearch, CancelledListKeepsTheAddress) {
  TestNetwork net(1);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  platform::profileWriteString(ini_.string(), "KT3600R Info", "KT00", "0A000009");
  testing::OrderedPrinters printers(net, {{testing::printerReply(1, "KT-3600R  Ver2.50")}});
  ASSERT_TRUE(printers.allBound());
  platform::setDialogOperator(kSearchListTemplate, [](OperatedDialog& d) {
    EXPECT_TRUE(d.clickListRow(1038, 0));
    EXPECT_TRUE(d.click(2));
  });
  uint32_t shown = 0;
  platform::setDialogOperator("DIALOG_KT36R", [&](OperatedDialog& d) {
    EXPECT_TRUE(d.click(1038));
    shown = d.ipAddress(6101);
    d.cancel();
  });
  net.runAsDriver([&] { NyPrPrinterSetup(nullptr, 1, nullptr); });
  EXPECT_EQ(shown, 0x0A000009u);
}

}  // namespace
}  // namespace nypr
