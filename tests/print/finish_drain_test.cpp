// Draining the finish connection before a job: what an earlier job left is dropped, and a
// peer that never stops sending cannot hold the print call.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "driver/printing.h"
#include "ktsim/socket.h"
#include "platform/net.h"

namespace nypr {
namespace {

// A peer on loopback that writes `total` bytes (or, with total < 0, until told to stop).
class SendingPeer {
 public:
  explicit SendingPeer(long total) {
    EXPECT_TRUE(ktsim::startSockets());
    listener_ = ktsim::Socket::listenOn(0x7F000001, 0, 1);
    EXPECT_TRUE(listener_.valid());
    port_ = listener_.localPort();
    writer_ = std::thread([this, total] {
      ktsim::Socket peer = listener_.accept(5000);
      const std::string chunk(512, 'x');
      long sent = 0;
      while (peer.valid() && !stop_ && (total < 0 || sent < total)) {
        const long want = total < 0 ? 512 : std::min<long>(512, total - sent);
        if (!peer.sendAll(std::string_view(chunk).substr(0, static_cast<size_t>(want)))) break;
        sent += want;
      }
      done_ = true;
      while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
  }
  ~SendingPeer() {
    stop_ = true;
    if (writer_.joinable()) writer_.join();
  }
  uint16_t port() const { return port_; }
  bool done() const { return done_; }

 private:
  ktsim::Socket listener_;
  uint16_t port_ = 0;
  std::thread writer_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{false};
};

platform::SocketHandle connectTo(uint16_t port) {
  platform::SocketHandle s = platform::netTcpSocket();
  platform::NetSockAddrIn addr{};
  addr.family = platform::kNetAfInet;
  addr.portNet = platform::netHtons(port);
  addr.addrNet = platform::netHtonl(0x7F000001);
  EXPECT_EQ(platform::netConnect(s, &addr, sizeof addr), 0);
  return s;
}

TEST(FinishDrain, DropsWhatAnEarlierJobLeft) {
  SendingPeer peer(66);  // three stale finish reports
  platform::SocketHandle s = connectTo(peer.port());
  while (!peer.done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  platform::netWaitReadable(s, 1000);
  int dropped = 0;
  // Loopback may hand the bytes over in more than one piece.
  for (int i = 0; i < 100 && dropped < 66; ++i) {
    dropped += drainFinishConnection(s);
    if (dropped < 66) platform::netWaitReadable(s, 10);
  }
  EXPECT_EQ(dropped, 66);
  EXPECT_EQ(drainFinishConnection(s), 0);  // nothing left, nothing waited for
  platform::netClose(s);
}

TEST(FinishDrain, APeerThatNeverStopsSendingCannotHoldTheCall) {
  SendingPeer peer(-1);
  platform::SocketHandle s = connectTo(peer.port());
  ASSERT_EQ(platform::netWaitReadable(s, 1000), 1);
  const int dropped = drainFinishConnection(s);
  EXPECT_GE(dropped, 1);
  EXPECT_LE(dropped, kDrainLimit + 16);
  EXPECT_FALSE(peer.done());  // the limit ended the drain, not the end of the data
  platform::netClose(s);
}

}  // namespace
}  // namespace nypr
