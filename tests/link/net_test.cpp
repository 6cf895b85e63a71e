// The POSIX socket backend: Windows error numbers, time-outs, the peer-close watch and the
// UDP functions of the printer search, on loopback sockets.
#include "platform/net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace nypr::platform {
namespace {

constexpr uint32_t kLoopback = 0x7F000001;

// A plain listening socket on 127.0.0.1 and a free port, written with the OS API so the
// backend is not tested against itself.
class Listener {
 public:
  Listener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(kLoopback);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    EXPECT_EQ(::listen(fd_, 4), 0);
    socklen_t len = sizeof sa;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len);
    port_ = ntohs(sa.sin_port);
  }
  ~Listener() {
    if (peer_ >= 0) ::close(peer_);
    ::close(fd_);
  }
  uint16_t port() const { return port_; }
  int peer() const { return peer_; }
  int accept() {
    peer_ = ::accept(fd_, nullptr, nullptr);
    return peer_;
  }
  void closePeer() {
    ::close(peer_);
    peer_ = -1;
  }

 private:
  int fd_ = -1;
  int peer_ = -1;
  uint16_t port_ = 0;
};

NetSockAddrIn addressOf(uint32_t ip, uint16_t port) {
  return NetSockAddrIn{kNetAfInet, netHtons(port), netHtonl(ip), {}};
}

SocketHandle connectedTo(Listener& l) {
  SocketHandle s = netTcpSocket();
  NetSockAddrIn addr = addressOf(kLoopback, l.port());
  EXPECT_EQ(netConnect(s, &addr, sizeof addr), 0);
  EXPECT_GE(l.accept(), 0);
  return s;
}

TEST(Net, SocketNeverGetsDescriptorZero) {
  const int savedStdin = ::dup(0);
  ::close(0);
  SocketHandle s = netTcpSocket();
  SocketHandle u = netUdpSocket();
  EXPECT_TRUE(isOpenSocket(s));
  EXPECT_TRUE(isOpenSocket(u));
  EXPECT_NE(s, 0u);
  EXPECT_NE(u, 0u);
  netClose(s);
  netClose(u);
  ::dup2(savedStdin, 0);
  ::close(savedStdin);
}

// A refused connect, a receive time-out and a reset are the link tests' cases, in the
// driver's own calls.
TEST(Net, NonBlockingReceiveWithNothingThereWouldBlock) {
  Listener l;
  SocketHandle s = connectedTo(l);
  char buf[8];
  ASSERT_EQ(netSetNonBlocking(s, true), 0);
  EXPECT_EQ(netRecv(s, buf, sizeof buf), kNetSocketError);
  EXPECT_EQ(netLastError(), kNetWouldBlock);
  netClose(s);
}

TEST(Net, PeerCloseWatchEndOfStreamAndLateData) {
  Listener l;
  SocketHandle s = connectedTo(l);
  ASSERT_EQ(netWatchPeerClose(s), 0);
  EXPECT_EQ(netWaitPeerClose(s, 10), 0);  // the peer is still there
  // Data does not look like a peer close, and stays there to drain after one.
  ASSERT_EQ(::send(l.peer(), "late", 4, 0), 4);
  ASSERT_EQ(netWaitReadable(s, 2000), 1);
  EXPECT_EQ(netWaitPeerClose(s, 10), 0);
  l.closePeer();
  EXPECT_EQ(netWaitPeerClose(s, 2000), 1);
  char buf[8];
  EXPECT_EQ(netRecv(s, buf, sizeof buf), 4);
  netSetLastError(kNetInvalid);
  EXPECT_EQ(netRecv(s, buf, sizeof buf), 0);
  EXPECT_EQ(netLastError(), 0);
  netClose(s);
}

TEST(Net, BadHandlesAndArguments) {
  EXPECT_EQ(netClose(0), kNetSocketError);
  EXPECT_EQ(netLastError(), kNetNotSocket);
  EXPECT_EQ(netClose(kInvalidSocket), kNetSocketError);
  SocketHandle s = netTcpSocket();
  EXPECT_EQ(netShutdown(s, 7), kNetSocketError);
  EXPECT_EQ(netLastError(), kNetInvalid);
  NetSockAddrIn addr = addressOf(kLoopback, 1);
  EXPECT_EQ(netConnect(s, &addr, 8), kNetSocketError);
  EXPECT_EQ(netLastError(), kNetFault);
  netClose(s);
}

}  // namespace
}  // namespace nypr::platform
