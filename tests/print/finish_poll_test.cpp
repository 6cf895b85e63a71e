// NyPrIsPrintFinished against a printer whose finish connection sends exactly the bytes a
// test gives it: several reports in one read, reads that end inside a report, silence.
#include <string>

#include "ktsim/socket.h"
#include "link/connection.h"
#include "print_fixture.h"

namespace nypr::test {
namespace {

// Listens on both printer ports on loopback and accepts what the driver connects;
// nothing is answered unless the test sends it.
class RawPrinter {
 public:
  enum Socket { kCommandListen, kFinishListen, kCommand, kFinish };
  bool start() {
    if (!ktsim::startSockets()) return false;
    for (int i : {kCommandListen, kFinishListen}) sockets_[i] = ktsim::Socket::listenOn(kIp, 0, 4);
    return sockets_[kCommandListen].valid() && sockets_[kFinishListen].valid();
  }
  KtrInfo info() const {
    return KtrInfo{sockets_[kCommandListen].localPort(), sockets_[kFinishListen].localPort(), kIp,
                   0, 0};
  }
  // Takes the connection the driver opened on that port.
  bool accept(Socket listening) {
    sockets_[listening + 2] = sockets_[listening].accept(2000);
    return sockets_[listening + 2].valid();
  }
  void sendFinish(const std::string& bytes) { ASSERT_TRUE(sockets_[kFinish].sendAll(bytes)); }
  // Whether the driver has closed that connection (end of stream within 2 s).
  bool closedByDriver(Socket connection) { return sockets_[connection].endOfStream(2000); }

 private:
  static constexpr uint32_t kIp = 0x7F000001;
  ktsim::Socket sockets_[4];
};

// STX "0016" header, code, a blank, error (3), remaining (4), ETX.
std::string report(int error, int remaining) {
  char fields[16];
  std::snprintf(fields, sizeof fields, "%03d%04d", error, remaining);
  return std::string(
             "\x02"
             "0016"
             "2S200PRE0") +
         fields + "\x03";
}

class FinishPollTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_TRUE(printer_.start());
    PrinterSlot& slot = stKtRSE[0];
    slot.CurKTRInfoST = printer_.info();
    slot.skKT = platform::kInvalidSocket;
    slot.skFin = platform::kInvalidSocket;
    slot.AutoPeelUB = 0;
    slot.CopiesUL = 5;
    slot.dwActTick = clock_.now();
    // Both connections open, as a print leaves them.
    ASSERT_NE(KT36R_CreateSocket(0, 0, 1), platform::kInvalidSocket);
    ASSERT_TRUE(printer_.accept(RawPrinter::kFinishListen));
    ASSERT_NE(KT36R_CreateSocket(0, 0, 0), platform::kInvalidSocket);
    ASSERT_TRUE(printer_.accept(RawPrinter::kCommandListen));
  }
  void TearDown() override {
    NyPrClosePrinter(0);
    g_TestPrintFlag = 0;
    HostTest::TearDown();
  }
  int poll(uint16_t* remaining = nullptr) { return NyPrIsPrintFinished(1, remaining, 0, 0); }

  RawPrinter printer_;
  FakeClock clock_;
  uint16_t remaining_ = 0;
};

// Which report of a read counts is the finish report tests' table; a report cut by the
// read is the next test's.
TEST_F(FinishPollTest, CopiesStillToIssueKeepTheJobGoing) {
  writeIni("BackPrinting", "Printting_Status", "1");
  stKtRSE[0].dwActTick = 0;
  printer_.sendFinish(report(0, 2) + report(0, 1));  // two reports in one read: the second
  EXPECT_EQ(poll(&remaining_), 0);
  EXPECT_EQ(remaining_, 1);
  EXPECT_EQ(stKtRSE[0].CopiesUL, 1u);
  EXPECT_EQ(stKtRSE[0].dwActTick, clock_.now());  // data is a sign of life
  EXPECT_TRUE(platform::isOpenSocket(stKtRSE[0].skFin));
  EXPECT_EQ(readIni("BackPrinting", "Printting_Status"), "1");
}

TEST_F(FinishPollTest, AReportCutByTheReadIsCompletedByTheNext) {
  remaining_ = 77;
  printer_.sendFinish("junk");  // no report in it: a failure the host can read
  EXPECT_EQ(poll(&remaining_), -1);
  EXPECT_EQ(NyPrGetPrintError(1, nullptr, 0), 60404u);
  const std::string first = report(0, 3), second = report(0, 0);
  printer_.sendFinish(first.substr(0, 21));
  EXPECT_EQ(poll(&remaining_), 2);  // only its head so far: busy, nothing decided
  EXPECT_EQ(remaining_, 77);
  EXPECT_EQ(stKtRSE[0].CopiesUL, 5u);
  printer_.sendFinish(first.substr(21) + second.substr(0, 4));
  EXPECT_EQ(poll(&remaining_), 0);
  EXPECT_EQ(remaining_, 3);
  printer_.sendFinish(second.substr(4));
  EXPECT_EQ(poll(&remaining_), 1);
  EXPECT_EQ(remaining_, 0);
}

TEST_F(FinishPollTest, TheEndClosesBothConnections) {
  writeIni("BackPrinting", "Printting_Status", "1");
  printer_.sendFinish(report(0, 0));
  EXPECT_EQ(poll(&remaining_), 1);
  EXPECT_EQ(remaining_, 0);
  EXPECT_EQ(readIni("BackPrinting", "Printting_Status"), "0");
  EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skFin));
  EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skKT));
  EXPECT_TRUE(printer_.closedByDriver(RawPrinter::kFinish));
  EXPECT_TRUE(printer_.closedByDriver(RawPrinter::kCommand));
}

TEST_F(FinishPollTest, ATestPrintKeepsItsFinishConnection) {
  g_TestPrintFlag = 1;
  printer_.sendFinish(report(0, 0));
  EXPECT_EQ(poll(), 1);  // no count pointer: accepted, the count is not stored
  EXPECT_TRUE(platform::isOpenSocket(stKtRSE[0].skFin));
  EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skKT));
}

// 999 is the printer's own failure, 998 its report of a stopped job.
TEST_F(FinishPollTest, PrinterErrorsEndTheJobAndCloseTheCommandConnection) {
  const struct {
    int error, result;
    uint32_t lastError;
  } rows[] = {{999, -3, 60999}, {998, -4, 998}, {5, -1, 5}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.error);
    printer_.sendFinish(report(row.error, 2));
    EXPECT_EQ(poll(&remaining_), row.result);
    EXPECT_EQ(stKtRSE[0].dwLastError, row.lastError);
    EXPECT_EQ(NyPrGetPrintError(1, nullptr, 0), row.lastError);
    EXPECT_EQ(remaining_, 2);
    EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skKT));
    EXPECT_TRUE(platform::isOpenSocket(stKtRSE[0].skFin));
  }
}

// Silence is busy only while the job showed life lately; with auto-peel it means a label
// waits at the peeler.
TEST_F(FinishPollTest, Silence) {
  stKtRSE[0].dwActTick = clock_.now() - 9999;
  EXPECT_EQ(poll(&remaining_), 2);
  EXPECT_EQ(stKtRSE[0].dwLastError, 300u);
  stKtRSE[0].dwActTick = clock_.now() - 10000;
  EXPECT_EQ(poll(&remaining_), -1);
  EXPECT_EQ(stKtRSE[0].dwError, 10060);

  stKtRSE[0].AutoPeelUB = 1;
  stKtRSE[0].CopiesUL = 4;
  EXPECT_EQ(poll(&remaining_), -2);
  EXPECT_EQ(stKtRSE[0].dwLastError, 60315u);
  EXPECT_EQ(remaining_, 4);
}

}  // namespace
}  // namespace nypr::test
