// The status query against the simulated printer: what lands in the slot, the INI file
// and on the screen.
#include <cstring>
#include <string>
#include <tuple>

#include "core/slots.h"
#include "host_fixture.h"
#include "link/connection.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "status/error_text.h"
#include "status/printer_status.h"

namespace nypr::test {
namespace {

class StatusQueryTest : public SimulatorTest {
 protected:
  void SetUp() override {
    SimulatorTest::SetUp();
    stKtRSE[0].CurKTRInfoST = {10000, 10001, sim_.addressValue(), 0, 0};
  }
  // The slot is the module's own: its connections and summary would otherwise carry over
  // to the next case's printer.
  void TearDown() override {
    KT36R_CloseSocket(0, 0);
    KT36R_CloseSocket(0, 1);
    stKtRSE[0].PrnStatusST = {};
    stKtRSE[0].dwLastError = kNoError;
    stKtRSE[0].dwError = static_cast<int32_t>(kNoError);
    SimulatorTest::TearDown();
  }
};

TEST_F(StatusQueryTest, ValidStatusFillsTheSummaryAndTheStatusLine) {
  sim_.setVersions(120, 110, 250, 100);
  sim_.setSensors(30, 20, 10, 50, 7);
  sim_.setHeadRank(3);
  sim_.setTravel(5, 12345678, 120001112);
  char block[kStatusBlockLen];
  ASSERT_TRUE(GetPrinterStatusFnBL(0, block));
  const PrnStatus& st = stKtRSE[0].PrnStatusST;
  EXPECT_EQ(std::tie(st.ValidUL, st.GapSenUW, st.MarkSenUW, st.PeelSenUW, st.RibbonSenUW,
                     st.HeadOpenUW, st.CutDoorSenUW),
            std::make_tuple(1u, 30, 20, 10, 50, 0, 7));
  // The simulator's own temperatures and status characters fill the middle.
  EXPECT_EQ(readIni("KT3600R Info", "STATUS00"),
            "120#110#250#030#020#010#050#" + cp932("1262～1300") +
                "#0#0253#0221#0#001#007#100#0#005#012Km345m678mm#120Km001m112mm");
  EXPECT_EQ(readIni("KT3600R Info", "KT00_AUTOCONNECT"), "0");
  // The command connection was closed after the status; the distance query's stays open.
  EXPECT_EQ(sim_.receivedFrames("STS").size(), 1u);
  EXPECT_EQ(sim_.receivedFrames("LRS").size(), 1u);
  EXPECT_TRUE(messages_.empty());

  // A short answer from this model fills what arrived; the rest of the block is NUL,
  // whatever the caller's buffer held.
  ktsim::Fault shortAnswer;
  shortAnswer.code = "STS";
  shortAnswer.action = ktsim::FaultAction::Truncate;
  shortAnswer.number = 30;
  sim_.addFault(shortAnswer);
  std::memset(block, 'x', sizeof block);
  ASSERT_TRUE(GetPrinterStatusFnBL(0, block));
  EXPECT_EQ(std::string(block + 20, 3), "030");
  EXPECT_EQ(std::string(block + 30, kStatusBlockLen - 30), std::string(kStatusBlockLen - 30, '\0'));
}

// Another model's status (also a shorter answer) is refused and the warning names it.
TEST_F(StatusQueryTest, AnotherModelIsNamedAndRefused) {
  const struct {
    const char* header;
    std::string kind;
    int truncate;
  } rows[] = {{"21200", "KT5200R", 0},
              {"6S200", "KT3600R", 0},
              {"2X200", cp932("別のプリンター"), 0},
              {"21200", "KT5200R", 30}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.header);
    messages_.clear();
    sim_.clearFaults();
    sim_.setModelHeader(r.header);
    if (r.truncate != 0) {
      ktsim::Fault shorter;
      shorter.code = "STS";
      shorter.action = ktsim::FaultAction::Truncate;
      shorter.number = r.truncate;
      sim_.addFault(shorter);
    }
    char block[kStatusBlockLen];
    EXPECT_FALSE(GetPrinterStatusFnBL(0, block));
    EXPECT_EQ(stKtRSE[0].dwLastError, kErrWrongModel);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, sim_.address() + cp932("は、") + r.kind +
                                     cp932("です。プリンタ種類を変更して下さい。"));
    EXPECT_EQ(messages_[0].caption, cp932("エラー又は警告メッセージ"));
    EXPECT_EQ(messages_[0].style, 48u);
    EXPECT_EQ(readIni("KT3600R Info", "STATUS00"), "");
    EXPECT_EQ(sim_.receivedFrames("LRS").size(), 0u);
  }
}

// A failed query clears the status line and still writes the auto-connect key; the
// summary keeps what it had.
TEST_F(StatusQueryTest, FailedQueriesStillWriteTheAutoConnectKey) {
  // The refused connect's own code is the init and link tests' case.
  for (const bool reachable : {true, false}) {
    SCOPED_TRACE(reachable ? "status unavailable" : "unreachable");
    KT36R_CloseSocket(0, 0);
    writeIni("KT3600R Info", "STATUS00", "old");
    writeIni("KT3600R Info", "KT00_AUTOCONNECT", "1");
    sim_.setStatusFailure(true);
    if (!reachable) sim_.stop();
    char block[kStatusBlockLen];
    EXPECT_FALSE(GetPrinterStatusFnBL(0, block));
    EXPECT_EQ(stKtRSE[0].dwLastError, reachable ? kErrStatus : kErrSocket);
    EXPECT_EQ(readIni("KT3600R Info", "STATUS00"), "");
    EXPECT_EQ(readIni("KT3600R Info", "KT00_AUTOCONNECT"), "0");
    EXPECT_EQ(stKtRSE[0].PrnStatusST.ValidUL, 0u);
  }
}

}  // namespace
}  // namespace nypr::test
