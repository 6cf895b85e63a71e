// The POSIX socket backend: Windows error numbers, descriptors and the peer-close watch, on
// loopback sockets.
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

// A backend socket connected to a plain loopback peer, the peer written with the OS API so
// the backend is not tested against itself.
struct Connected {
  Connected() {
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(kLoopback);
    socklen_t len = sizeof sa;
    EXPECT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&sa), len), 0);
    EXPECT_EQ(::listen(listener, 1), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
    NetSockAddrIn addr{kNetAfInet, netHtons(ntohs(sa.sin_port)), netHtonl(kLoopback), {}};
    EXPECT_EQ(netConnect(s, &addr, sizeof addr), 0);
    peer = ::accept(listener, nullptr, nullptr);
    EXPECT_GE(peer, 0);
  }
  ~Connected() {
    netClose(s);
    if (peer >= 0) ::close(peer);
    ::close(listener);
  }
  SocketHandle s = netTcpSocket();
  int listener = -1;
  int peer = -1;
};

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

// A refused connect, a receive time-out, a reset and a connect under way are the link tests'
// cases, in the driver's own calls.
TEST(Net, PeerCloseWatchEndOfStreamAndLateData) {
  Connected c;
  const SocketHandle s = c.s;
  ASSERT_EQ(netWatchPeerClose(s), 0);
  EXPECT_EQ(netWaitPeerClose(s, 10), 0);  // the peer is still there
  // Data does not look like a peer close, and stays there to drain after one.
  ASSERT_EQ(::send(c.peer, "late", 4, 0), 4);
  ASSERT_EQ(netWaitReadable(s, 2000), 1);
  EXPECT_EQ(netWaitPeerClose(s, 10), 0);
  ::close(c.peer);
  c.peer = -1;
  EXPECT_EQ(netWaitPeerClose(s, 2000), 1);
  char buf[8];
  EXPECT_EQ(netRecv(s, buf, sizeof buf), 4);
  netSetLastError(kNetInvalid);
  EXPECT_EQ(netRecv(s, buf, sizeof buf), 0);
  EXPECT_EQ(netLastError(), 0);
}

}  // namespace
}  // namespace nypr::platform
