// The Windows socket backend: on a Windows that refuses WSA_FLAG_NO_HANDLE_INHERIT (before
// 7 SP1), played through the backend's socket-creation seam, and its receive time-out, which
// neither wine's recv() nor a usable connection after Windows' own would give.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <cstring>
#include <thread>
#include <vector>

#include "platform/net.h"
#include "platform/win32/net_win32_seam.h"

namespace nypr::platform {
namespace {

int g_refusedCalls = 0;
int g_failWith = 0;  // every plain creation fails with this error when non-zero

SOCKET WSAAPI oldWindowsSocket(int af, int type, int protocol, LPWSAPROTOCOL_INFOW info, GROUP g,
                               DWORD flags) {
  if ((flags & WSA_FLAG_NO_HANDLE_INHERIT) != 0) {
    ++g_refusedCalls;
    WSASetLastError(WSAEINVAL);
    return INVALID_SOCKET;
  }
  if (g_failWith != 0) {
    WSASetLastError(g_failWith);
    return INVALID_SOCKET;
  }
  SOCKET s = WSASocketW(af, type, protocol, info, g, flags);
  // A socket of those Windows is inherited by child processes unless told otherwise.
  if (s != INVALID_SOCKET) {
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  return s;
}

class OldWindowsSockets : public ::testing::Test {
 protected:
  void SetUp() override {
    g_refusedCalls = 0;
    g_failWith = 0;
    previous_ = win32net::setSocketMaker(oldWindowsSocket);
  }
  void TearDown() override { win32net::setSocketMaker(previous_); }
  win32net::SocketMaker previous_ = nullptr;
};

TEST_F(OldWindowsSockets, RefusedFlagGivesAPlainSocketKeptFromChildProcesses) {
  for (SocketHandle s : {netTcpSocket(), netUdpSocket()}) {
    ASSERT_NE(s, kInvalidSocket);
    DWORD flags = HANDLE_FLAG_INHERIT;
    ASSERT_NE(GetHandleInformation(reinterpret_cast<HANDLE>(s), &flags), FALSE);
    EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u);
    EXPECT_EQ(netLastError(), 0);
    netClose(s);
  }
  EXPECT_EQ(g_refusedCalls, 2);
}

TEST_F(OldWindowsSockets, AFailedPlainSocketKeepsItsOwnError) {
  g_failWith = WSAEMFILE;
  EXPECT_EQ(netTcpSocket(), kInvalidSocket);
  EXPECT_EQ(netLastError(), kNetTooManySockets);
}

// A connection from the backend's socket to a plain Winsock peer on 127.0.0.1.
struct Connection {
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  SOCKET peer = INVALID_SOCKET;
  SocketHandle s = netTcpSocket();

  Connection() {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof a;
    EXPECT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), len), 0);
    EXPECT_EQ(listen(listener, 1), 0);
    getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    NetSockAddrIn addr{kNetAfInet, a.sin_port, a.sin_addr.s_addr, {}};
    EXPECT_EQ(netConnect(s, &addr, sizeof addr), 0);
    peer = accept(listener, nullptr, nullptr);
    EXPECT_NE(peer, INVALID_SOCKET);
  }
  ~Connection() {
    netClose(s);
    if (peer != INVALID_SOCKET) closesocket(peer);
    closesocket(listener);
  }
  void peerSends(const char* text) {
    ASSERT_EQ(send(peer, text, static_cast<int>(std::strlen(text)), 0),
              static_cast<int>(std::strlen(text)));
  }
};

TEST(TimedReceive, EndsAtTheTimeOutAndLosesNothing) {
  Connection c;
  ASSERT_EQ(netSetReceiveTimeout(c.s, 50), 0);
  char buf[16] = {};
  // Waiting data comes at once, and its completion leaves nothing that would cut the next
  // wait short.
  c.peerSends("ready");
  EXPECT_EQ(netRecv(c.s, buf, sizeof buf), 5);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(netRecv(c.s, buf, sizeof buf), kNetSocketError);
    EXPECT_EQ(netLastError(), kNetTimedOut);
    // Bytes that come after a time-out arrive whole on the same connection.
    c.peerSends("late");
    ASSERT_EQ(netRecv(c.s, buf, sizeof buf), 4);
    EXPECT_EQ(std::memcmp(buf, "late", 4), 0);
  }
}

TEST(TimedReceive, PeerEndEndsTheWait) {
  Connection c;
  ASSERT_EQ(netSetReceiveTimeout(c.s, 10000), 0);
  closesocket(c.peer);
  c.peer = INVALID_SOCKET;
  char buf[16];
  netSetLastError(kNetInvalid);
  EXPECT_EQ(netRecv(c.s, buf, sizeof buf), 0);
  EXPECT_EQ(netLastError(), 0);
}

// A host calls from threads that come and go: what a thread's receives hold ends with it,
// and its end frees nothing twice (the heap stays whole for the threads after it).
TEST(TimedReceive, WhatAThreadHoldsEndsWithTheThread) {
  Connection c;
  ASSERT_EQ(netSetReceiveTimeout(c.s, 1), 0);
  auto receiveOnce = [&c] {
    char buf[4];
    EXPECT_EQ(netRecv(c.s, buf, sizeof buf), kNetSocketError);
    EXPECT_EQ(netLastError(), kNetTimedOut);
  };
  receiveOnce();  // this thread's own, made before counting
  DWORD before = 0;
  ASSERT_NE(GetProcessHandleCount(GetCurrentProcess(), &before), FALSE);
  constexpr int kThreads = 40;
  for (int i = 0; i < kThreads; ++i) std::thread(receiveOnce).join();
  DWORD after = 0;
  ASSERT_NE(GetProcessHandleCount(GetCurrentProcess(), &after), FALSE);
  EXPECT_LT(after, before + kThreads / 2);
  EXPECT_NE(HeapValidate(GetProcessHeap(), 0, nullptr), FALSE);
}

}  // namespace
}  // namespace nypr::platform
