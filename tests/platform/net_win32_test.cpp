// The Windows socket backend on a Windows that refuses WSA_FLAG_NO_HANDLE_INHERIT
// (before 7 SP1), played through the backend's socket-creation seam.
#include <gtest/gtest.h>
#include <winsock2.h>

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

}  // namespace
}  // namespace nypr::platform
