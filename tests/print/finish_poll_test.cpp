// NyPrIsPrintFinished against a printer whose finish connection sends exactly the bytes a
// test gives it: several reports in one read, reads that end inside a report, silence.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>
#include <string>

#include "link/connection.h"
#include "print_fixture.h"

namespace nypr::test {
namespace {

// Listens on both printer ports of a random loopback address and accepts what the driver
// connects; nothing is answered unless the test sends it.
class RawPrinter {
 public:
  enum Socket { kCommandListen, kFinishListen, kCommand, kFinish };
  ~RawPrinter() { closeAll(); }
  bool start() {
    std::random_device rd;
    for (int attempt = 0; attempt < 20; ++attempt) {
      address_ = (127u << 24) | (rd() % 254 + 1) << 16 | (rd() % 254 + 1) << 8 | (rd() % 254 + 1);
      fds_[kCommandListen] = listenOn(kPortCommand);
      fds_[kFinishListen] = listenOn(kPortFinish);
      if (fds_[kCommandListen] >= 0 && fds_[kFinishListen] >= 0) return true;
      closeAll();
    }
    return false;
  }
  uint32_t address() const { return address_; }
  // Takes the connection the driver opened on that port.
  bool accept(Socket listening) {
    pollfd p{fds_[listening], POLLIN, 0};
    if (::poll(&p, 1, 2000) != 1) return false;
    return (fds_[listening + 2] = ::accept(fds_[listening], nullptr, nullptr)) >= 0;
  }
  void sendFinish(const std::string& bytes) {
    ASSERT_EQ(::send(fds_[kFinish], bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }
  // Whether the driver has closed that connection (end of stream within 2 s).
  bool closedByDriver(Socket connection) const {
    pollfd p{fds_[connection], POLLIN, 0};
    char c;
    return ::poll(&p, 1, 2000) == 1 && ::recv(fds_[connection], &c, 1, 0) == 0;
  }

 private:
  int listenOn(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address_);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 4) != 0) {
      ::close(fd);
      return -1;
    }
    return fd;
  }
  void closeAll() {
    for (int& fd : fds_) {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
  }

  uint32_t address_ = 0;
  int fds_[4] = {-1, -1, -1, -1};
};

// STX "0016" header, code, a blank, error (3), remaining (4), ETX.
std::string report(int error, int remaining) {
  char text[32];
  std::snprintf(text, sizeof text,
                "\x02"
                "0016"
                "2S200PRE0%03d%04d\x03",
                error, remaining);
  return text;
}

class FinishPollTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_TRUE(printer_.start());
    PrinterSlot& slot = stKtRSE[0];
    slot.CurKTRInfoST = KtrInfo{kPortCommand, kPortFinish, printer_.address(), 0, 0};
    slot.skKT = platform::kInvalidSocket;
    slot.skFin = platform::kInvalidSocket;
    slot.AutoPeelUB = 0;
    slot.CopiesUL = 5;
    clock_.install();
    slot.dwActTick = clock_.now();
    // Both connections open, as a print leaves them.
    ASSERT_NE(KT36R_CreateSocket(0, 0, 1), platform::kInvalidSocket);
    ASSERT_TRUE(printer_.accept(RawPrinter::kFinishListen));
    ASSERT_NE(KT36R_CreateSocket(0, 0, 0), platform::kInvalidSocket);
    ASSERT_TRUE(printer_.accept(RawPrinter::kCommandListen));
  }
  void TearDown() override {
    NyPrClosePrinter(0);
    FakeClock::uninstall();
    g_TestPrintFlag = 0;
    HostTest::TearDown();
  }
  int poll(uint16_t* remaining = nullptr) { return NyPrIsPrintFinished(1, remaining, 0, 0); }

  RawPrinter printer_;
  FakeClock clock_;
  uint16_t remaining_ = 0;
};

TEST_F(FinishPollTest, CopiesStillToIssueKeepTheJobGoing) {
  writeIni("BackPrinting", "Printting_Status", "1");
  const std::pair<std::string, uint16_t> reads[] = {
      {report(0, 2) + report(0, 1), 1},  // two reports in one read count as the second
      {report(0, 3), 3},
      {report(0, 3) + report(0, 0).substr(0, 10), 3},  // a partial report after a complete one
  };
  for (const auto& [bytes, remaining] : reads) {
    stKtRSE[0].dwActTick = 0;
    printer_.sendFinish(bytes);
    EXPECT_EQ(poll(&remaining_), 0) << remaining;
    EXPECT_EQ(remaining_, remaining);
    EXPECT_EQ(stKtRSE[0].CopiesUL, remaining);
    EXPECT_EQ(stKtRSE[0].dwActTick, clock_.now());  // data is a sign of life
    EXPECT_TRUE(platform::isOpenSocket(stKtRSE[0].skFin));
    EXPECT_EQ(readIni("BackPrinting", "Printting_Status"), "1");
  }
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

TEST_F(FinishPollTest, PrinterErrorsEndTheJobAndCloseTheCommandConnection) {
  printer_.sendFinish(report(999, 2));
  EXPECT_EQ(poll(&remaining_), -3);
  EXPECT_EQ(stKtRSE[0].dwLastError, 60999u);
  EXPECT_EQ(remaining_, 2);
  EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skKT));
  EXPECT_TRUE(platform::isOpenSocket(stKtRSE[0].skFin));

  printer_.sendFinish(report(998, 1));
  EXPECT_EQ(poll(&remaining_), -4);
  EXPECT_EQ(stKtRSE[0].dwLastError, 998u);

  printer_.sendFinish(report(5, 1));
  EXPECT_EQ(poll(&remaining_), -1);
  EXPECT_EQ(stKtRSE[0].dwLastError, 5u);
  EXPECT_EQ(NyPrGetPrintError(1, nullptr, 0), 5u);
}

TEST_F(FinishPollTest, SilenceIsBusyOnlyWhileTheJobShowedLifeLately) {
  stKtRSE[0].dwActTick = clock_.now() - 9999;
  EXPECT_EQ(poll(&remaining_), 2);
  EXPECT_EQ(stKtRSE[0].dwLastError, 300u);
  stKtRSE[0].dwActTick = clock_.now() - 10000;
  EXPECT_EQ(poll(&remaining_), -1);
  EXPECT_EQ(stKtRSE[0].dwError, 10060);
}

TEST_F(FinishPollTest, SilenceWithAutoPeelMeansALabelWaitsAtThePeeler) {
  stKtRSE[0].AutoPeelUB = 1;
  stKtRSE[0].CopiesUL = 4;
  EXPECT_EQ(poll(&remaining_), -2);
  EXPECT_EQ(stKtRSE[0].dwLastError, 60315u);
  EXPECT_EQ(remaining_, 4);
}

}  // namespace
}  // namespace nypr::test
