// Draining the finish connection before a job: what an earlier job left is dropped, and a
// peer that never stops sending cannot hold the print call.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "driver/printing.h"
#include "platform/net.h"

namespace nypr {
namespace {

// A peer on loopback that writes `total` bytes (or, with total < 0, until told to stop).
class SendingPeer {
 public:
  explicit SendingPeer(long total) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&addr), len), 0);
    EXPECT_EQ(::listen(listener_, 1), 0);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    writer_ = std::thread([this, total] {
      const int fd = ::accept(listener_, nullptr, nullptr);
      char chunk[512];
      std::memset(chunk, 'x', sizeof chunk);
      long sent = 0;
      while (!stop_ && (total < 0 || sent < total)) {
        const long want = total < 0 ? sizeof chunk : std::min<long>(sizeof chunk, total - sent);
        const ssize_t n = ::send(fd, chunk, static_cast<size_t>(want), MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += n;
      }
      sent_ = sent;
      done_ = true;
      while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      ::close(fd);
    });
  }
  ~SendingPeer() {
    stop_ = true;
    if (writer_.joinable()) writer_.join();
    ::close(listener_);
  }
  uint16_t port() const { return port_; }
  bool done() const { return done_; }

 private:
  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread writer_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{false};
  std::atomic<long> sent_{0};
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
