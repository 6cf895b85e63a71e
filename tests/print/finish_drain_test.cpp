// Draining the finish connection before a job: what an earlier job left is dropped, and a
// peer that never stops sending cannot hold the print call.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "driver/printing.h"
#include "ktsim/socket.h"
#include "platform/net.h"

namespace nypr {
namespace {

// The finish connection on loopback: the driver's end, and the printer's end that the
// test writes to.
class FinishDrain : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ktsim::startSockets());
    ktsim::Socket listener = ktsim::Socket::listenOn(0x7F000001, 0, 1);
    ASSERT_TRUE(listener.valid());
    driver_ = platform::netTcpSocket();
    platform::NetSockAddrIn addr{};
    addr.family = platform::kNetAfInet;
    addr.portNet = platform::netHtons(listener.localPort());
    addr.addrNet = platform::netHtonl(0x7F000001);
    ASSERT_EQ(platform::netConnect(driver_, &addr, sizeof addr), 0);
    printer_ = listener.accept(5000);
    ASSERT_TRUE(printer_.valid());
  }
  void TearDown() override { platform::netClose(driver_); }

  platform::SocketHandle driver_ = platform::kInvalidSocket;
  ktsim::Socket printer_;
};

TEST_F(FinishDrain, DropsWhatAnEarlierJobLeft) {
  ASSERT_TRUE(printer_.sendAll(std::string(66, 'x')));  // three stale finish reports
  int dropped = 0;
  // Loopback may hand the bytes over in more than one piece.
  for (int i = 0; i < 100 && dropped < 66; ++i) {
    platform::netWaitReadable(driver_, 10);
    dropped += drainFinishConnection(driver_);
  }
  EXPECT_EQ(dropped, 66);
  EXPECT_EQ(drainFinishConnection(driver_), 0);  // nothing left, nothing waited for
}

TEST_F(FinishDrain, APeerThatNeverStopsSendingCannotHoldTheCall) {
  std::thread writer([this] { printer_.sendAll(std::string(4 * kDrainLimit, 'x')); });
  EXPECT_EQ(platform::netWaitReadable(driver_, 1000), 1);
  const int dropped = drainFinishConnection(driver_);
  EXPECT_GE(dropped, 1);
  EXPECT_LE(dropped, kDrainLimit + 16);
  EXPECT_EQ(platform::netWaitReadable(driver_, 1000), 1);  // the limit ended it, not the data
  printer_.shutdownBoth();
  writer.join();
}

}  // namespace
}  // namespace nypr
