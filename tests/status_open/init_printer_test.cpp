// Opening a printer through the exported interface.
#include "core/slots.h"
#include "host_fixture.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "settings/printer_settings.h"

namespace nypr::test {
namespace {

struct Job {
  LabelFormatST label{};
  PrintCondST cond{};
  uint32_t flags = 0;
  PrintJobST job{};
  Job() {
    job.lpLabelFormat = &label;
    job.lpPrintCond = &cond;
    job.lpFlagWord = &flags;
  }
};

using InitPrinterTest = SimulatorTest;

TEST_F(InitPrinterTest, SuccessLeavesTheSlotReady) {
  sim_.setHeadRank(5);
  Job j;
  j.flags = 0x10;
  j.cond.OptionFlagsUW = NYPR_COND_AUTO_PEEL;
  stKtRSE[0].dwLastError = 60401;
  ASSERT_EQ(NyPrInitPrinter(1, &j.job), 0);
  EXPECT_EQ(stKtRSE[0].dwLastError, 300u);
  EXPECT_EQ(stKtRSE[0].dwError, 300);
  EXPECT_EQ(stKtRSE[0].HeadRankUB, 5);
  EXPECT_EQ(stKtRSE[0].AutoPeelUB, 1);
  EXPECT_EQ(j.flags, 0x11u);  // history control is on in the factory settings
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(NyPrClosePrinter(0), 1);
  EXPECT_EQ(NyPrClosePrinter(0), 1);  // already closed: nothing to do
}

TEST_F(InitPrinterTest, FlagWordFollowsHistoryControl) {
  Job j;
  j.flags = 0xFF;
  ASSERT_EQ(NyPrInitPrinter(1, &j.job), 0);
  PrinterSettings[0][0] = '0';
  KtrInfo info = stKtRSE[0].CurKTRInfoST;
  WritePrinterSettingsFnV(&info);
  ASSERT_EQ(NyPrInitPrinter(1, &j.job), 0);
  EXPECT_EQ(j.flags, 0xFEu);
}

TEST_F(InitPrinterTest, PrinterNumbersOutsideTheRangeUseTheFirstSlot) {
  for (uint8_t printerNo : {0, 9, 255}) {
    stKtRSE[0].dwLastError = 1;
    Job j;
    EXPECT_EQ(NyPrInitPrinter(printerNo, &j.job), 0) << int(printerNo);
    EXPECT_EQ(stKtRSE[0].dwLastError, 300u);
  }
}

TEST_F(InitPrinterTest, MissingAddressIsReportedAndShown) {
  Job j;
  ASSERT_EQ(NyPrInitPrinter(2, &j.job), -1);  // printer 2 has no settings line
  EXPECT_EQ(NyPrGetPrintError(2, nullptr, 0), 60400u);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text,
            cp932("[設定]-[発行条件設定]-[プリンター設定]に入って、IPアドレスを設定して下さい！"));
  EXPECT_TRUE(sim_.connections().empty());
}

TEST_F(InitPrinterTest, LabelAdjustmentsAreTakenInLabelMode) {
  Job j;
  j.label.PosAdjXUB = 104;
  j.label.PosAdjYUB = 130;
  ASSERT_EQ(NyPrInitPrinter(1, &j.job), 0);
  stKtRSE[0].PosAdjModeI = 1;
  KtrInfo info = stKtRSE[0].CurKTRInfoST;
  WritePrinterSettingsFnV(&info);
  ASSERT_EQ(NyPrInitPrinter(1, &j.job), 0);
  EXPECT_EQ(stKtRSE[0].PosAdjXI, -24);
  EXPECT_EQ(stKtRSE[0].PosAdjYI, 2);
}

TEST_F(InitPrinterTest, NotifyClosesOneConnection) {
  Job j;
  ASSERT_EQ(NyPrInitPrinter(1, &j.job), 0);
  EXPECT_EQ(NyPrPrintNotify(0, 0), 0);
  EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skKT));
  EXPECT_EQ(NyPrPrintNotify(0, 1), 0);
  EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skFin));
  EXPECT_EQ(NyPrPrintNotify(8, 0), 0);  // no such slot: refused, nothing touched
  EXPECT_EQ(NyPrClosePrinter(8), 0);
}

}  // namespace
}  // namespace nypr::test
