// The IP address dialog against the simulated printer.
#include <string>

#include "core/slots.h"
#include "printer_dialog.h"
#include "settings/printer_settings.h"
#include "ui/dialog_procs.h"

namespace nypr::test {
namespace {

using platform::OperatedDialog;

constexpr uint32_t kNewIp = 0xC0A8000Au;  // 192.168.0.10

class IpAddressDialogTest : public PrinterDialogTest {
 protected:
  intptr_t openIp(platform::DialogOperator op) {
    return open("DIALOG_KT36R_IP", IpAddressDlgProc, std::move(op));
  }
  std::string settingsLine() { return readIni("KT3600R Info", "KT00"); }
};

TEST_F(IpAddressDialogTest, ShowsThePrintersAddressesAndStoresTheNewOne) {
  sim_.setAddresses("0080921A2B3C", sim_.addressValue(), 0xFFFFFF00u, 0xC0A80001u);
  setSettingsFieldInt(0, kFieldAutoCutterDist, 123);
  stKtRSE[0].PosAdjModeI = 1;
  stKtRSE[0].PosAdjXI = -3;
  WritePrinterSettingsFnV(&stKtRSE[0].CurKTRInfoST);
  // The label being set up carries the same adjustment (biased by 128).
  label_.PosAdjXUB = 125;
  label_.PosAdjYUB = 128;
  const std::string before = settingsLine();
  const int beeps = platform::beepCountForTesting();
  intptr_t result = openIp([&](OperatedDialog& d) {
    EXPECT_EQ(d.text(6218), "0080921A2B3C");
    EXPECT_EQ(d.ipAddress(6202), sim_.addressValue());
    EXPECT_EQ(d.ipAddress(6203), 0xFFFFFF00u);
    EXPECT_EQ(d.ipAddress(6204), 0xC0A80001u);
    ASSERT_TRUE(d.setIpAddress(6202, kNewIp));
    ASSERT_TRUE(d.click(1));
  });
  EXPECT_EQ(result, 1);
  const auto ads = payloads(sim_, "ADS");
  ASSERT_EQ(ads.size(), 2u);
  EXPECT_EQ(ads[0], "2S200ADS0" + std::string(50, '0'));
  EXPECT_EQ(ads[1],
            "2S200ADS1"
            "0080921A2B3C"
            "192168000010"
            "255255255000"
            "192168000001"
            "01");
  EXPECT_EQ(sim_.state().ip, kNewIp);
  // The address changes; the parameter record and adjustments of the line stay.
  ASSERT_GT(before.size(), 241u);
  EXPECT_EQ(settingsLine(), "C0A8000A" + before.substr(8));
  EXPECT_EQ(stKtRSE[0].CurKTRInfoST.IpAddrUL, kNewIp);
  EXPECT_EQ(platform::beepCountForTesting(), beeps + 1);
  EXPECT_TRUE(messages_.empty());
}

// A failed read (the dialog closes at once), a refused address and a cancel: the stored
// address stays, and only a failure is shown.
TEST_F(IpAddressDialogTest, FailureOrCancelKeepsTheStoredAddress) {
  const struct {
    const char* what;
    bool readFails;
    uint32_t typed;  // 0: the printer refuses an empty address
    int button;
    uint32_t error;  // kNoError: nothing shown
    size_t requests;
  } rows[] = {{"read fails", true, 0, 0, 5, 1},
              {"refused", false, 0, 1, 50, 2},
              {"cancel", false, kNewIp, 2, kNoError, 1}};
  const std::string before = settingsLine();
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    sim_.clearRecords();
    messages_.clear();
    stKtRSE[0].dwLastError = kNoError;
    ktsim::Fault status = fault("ADS", ktsim::FaultAction::Status);
    status.number = 5;
    if (r.readFails) sim_.addFault(status);
    EXPECT_EQ(openIp([&](OperatedDialog& d) {
                ASSERT_TRUE(d.setIpAddress(6202, r.typed));
                ASSERT_TRUE(d.click(r.button));
                EXPECT_TRUE(d.ended());
              }),
              0);
    EXPECT_EQ(messages_.size(), r.error == kNoError ? 0u : 1u);
    EXPECT_EQ(stKtRSE[0].dwLastError, r.error);
    EXPECT_EQ(payloads(sim_, "ADS").size(), r.requests);
    EXPECT_EQ(settingsLine(), before);
    EXPECT_EQ(stKtRSE[0].CurKTRInfoST.IpAddrUL, sim_.addressValue());
  }
}

}  // namespace
}  // namespace nypr::test
