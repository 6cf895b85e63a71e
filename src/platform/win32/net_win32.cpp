// Windows backend of platform/net.h: Winsock 2, whose error numbers are the ones the
// driver reports. The library is started once at process attach (netStartup).
// Winsock first: windows.h must not bring the old winsock.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include <climits>
#include <map>
#include <mutex>

#include "platform/net.h"
#include "platform/win32/net_win32_seam.h"

namespace nypr::platform {
namespace {

thread_local int t_lastError = 0;

int fail() {
  t_lastError = WSAGetLastError();
  if (t_lastError == 0) t_lastError = kNetInvalid;
  return kNetSocketError;
}

int failWith(int error) {
  t_lastError = error;
  WSASetLastError(error);
  return kNetSocketError;
}

int ok(int result = 0) {
  t_lastError = 0;
  return result;
}

SOCKET sockOf(SocketHandle s) {
  return isOpenSocket(s) ? static_cast<SOCKET>(s) : INVALID_SOCKET;
}

// The FD_CLOSE events of sockets being closed gracefully, one per socket.
std::mutex g_closeEventsMutex;
std::map<SOCKET, WSAEVENT> g_closeEvents;

WSAEVENT closeEventOf(SOCKET s) {
  std::lock_guard lock(g_closeEventsMutex);
  auto it = g_closeEvents.find(s);
  return it == g_closeEvents.end() ? WSA_INVALID_EVENT : it->second;
}

void dropCloseEvent(SOCKET s) {
  std::lock_guard lock(g_closeEventsMutex);
  auto it = g_closeEvents.find(s);
  if (it == g_closeEvents.end()) return;
  WSACloseEvent(it->second);
  g_closeEvents.erase(it);
}

// What netRecv needs of a socket without asking Winsock on every frame: whether it is
// non-blocking (Winsock cannot be asked) and the receive time-out set on it.
struct ReceiveMode {
  bool nonBlocking = false;
  bool timeoutSet = false;
  DWORD timeoutMs = 0;
};
std::mutex g_receiveModesMutex;
std::map<SOCKET, ReceiveMode> g_receiveModes;

void markNonBlocking(SOCKET s, bool nonBlocking) {
  std::lock_guard lock(g_receiveModesMutex);
  g_receiveModes[s].nonBlocking = nonBlocking;
}

void setReceiveTimeoutOf(SOCKET s, DWORD ms) {
  std::lock_guard lock(g_receiveModesMutex);
  ReceiveMode& mode = g_receiveModes[s];
  mode.timeoutSet = true;
  mode.timeoutMs = ms;
}

void forgetReceiveMode(SOCKET s) {
  std::lock_guard lock(g_receiveModesMutex);
  g_receiveModes.erase(s);
}

ReceiveMode receiveModeOf(SOCKET s) {
  std::lock_guard lock(g_receiveModesMutex);
  auto it = g_receiveModes.find(s);
  return it == g_receiveModes.end() ? ReceiveMode{} : it->second;
}

// Each thread's event for its timed receives (auto-reset: the wait that sees it consumes
// it), made at its first one. One per thread, so two threads that receive on one socket
// never take each other's completion. The events are kept in fiber-local storage, whose
// callback closes a thread's event when the thread ends and every thread's when the module
// is unloaded. Not in a C++ thread_local object: the toolchain's emulated TLS frees such an
// object's storage before its destructor runs at thread exit, and the destructor would then
// close whatever handle value the freed memory holds, a handle of the host's perhaps.
DWORD g_receiveEventSlot = FLS_OUT_OF_INDEXES;

void WINAPI closeReceiveEvent(void* event) {
  if (event != nullptr) CloseHandle(event);
}

// The thread's event, or nullptr when none can be made. *own is set when the event is not
// the thread's kept one (no slot could be had) and the caller closes it after the receive.
HANDLE threadReceiveEvent(bool* own) {
  *own = false;
  if (g_receiveEventSlot != FLS_OUT_OF_INDEXES) {
    if (void* kept = FlsGetValue(g_receiveEventSlot)) return kept;
  }
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (event == nullptr) return nullptr;
  if (g_receiveEventSlot == FLS_OUT_OF_INDEXES || !FlsSetValue(g_receiveEventSlot, event)) {
    *own = true;
  }
  return event;
}

// A receive that ends within `ms`. wine's recv() does not end at SO_RCVTIMEO, and Windows'
// leaves the connection undefined when it does; an overlapped receive waited for with the
// time-out and cancelled after it has either taken its bytes or none, so the connection
// stays usable (the finish poll receives again after every empty half second). Costs no
// more than a plain receive: no readiness wait first.
int timedRecv(SOCKET s, char* buf, int len, DWORD ms) {
  bool own = false;
  const HANDLE done = threadReceiveEvent(&own);
  if (done == nullptr) return failWith(kNetNoBuffers);
  struct OwnEvent {
    HANDLE event;
    ~OwnEvent() {
      if (event != nullptr) CloseHandle(event);
    }
  } closeAfter{own ? done : nullptr};
  WSAOVERLAPPED ov{};
  ov.hEvent = done;
  WSABUF chunk{static_cast<ULONG>(len), buf};
  DWORD got = 0;
  DWORD flags = 0;
  // Starting the receive clears the event, as every overlapped request does: a completion
  // that nobody waited for cannot cut the next wait short.
  if (WSARecv(s, &chunk, 1, &got, &flags, &ov, nullptr) == 0) return ok(static_cast<int>(got));
  if (WSAGetLastError() != WSA_IO_PENDING) return fail();
  const DWORD waited = WaitForSingleObject(done, ms);
  if (waited != WAIT_OBJECT_0) {
    CancelIoEx(reinterpret_cast<HANDLE>(s), &ov);
  }
  // The receive has ended, done or cancelled, before its buffer and record go out of scope.
  const BOOL received = WSAGetOverlappedResult(s, &ov, &got, TRUE, &flags);
  const int error = received ? 0 : WSAGetLastError();
  if (received) return ok(static_cast<int>(got));
  if (error == WSA_OPERATION_ABORTED && waited == WAIT_TIMEOUT) return failWith(kNetTimedOut);
  return failWith(error != 0 ? error : kNetInvalid);
}

// select() on one socket; 1 ready, 0 time-out, -1 failure.
int selectOne(SOCKET s, bool read, bool write, uint32_t ms, bool* failed) {
  fd_set readSet, writeSet, exceptSet;
  FD_ZERO(&readSet);
  FD_ZERO(&writeSet);
  FD_ZERO(&exceptSet);
  if (read) FD_SET(s, &readSet);
  if (write) {
    FD_SET(s, &writeSet);
    FD_SET(s, &exceptSet);
  }
  timeval tv{};
  tv.tv_sec = static_cast<long>(ms / 1000);
  tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
  int n = select(0, &readSet, &writeSet, &exceptSet, &tv);
  if (n == SOCKET_ERROR) return fail();
  if (failed) *failed = FD_ISSET(s, &exceptSet) != 0;
  return ok(n > 0 ? 1 : 0);
}

int setTimeoutOption(SocketHandle s, int option, uint32_t ms) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  DWORD v = ms;
  if (setsockopt(sock, SOL_SOCKET, option, reinterpret_cast<const char*>(&v), sizeof v) != 0) {
    return fail();
  }
  return ok();
}

int setFlagOption(SocketHandle s, int option, bool on) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  BOOL v = on ? TRUE : FALSE;
  if (setsockopt(sock, SOL_SOCKET, option, reinterpret_cast<const char*>(&v), sizeof v) != 0) {
    return fail();
  }
  return ok();
}

sockaddr_in inetAddress(uint32_t ipHost, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(ipHost);
  return sa;
}

win32net::SocketMaker g_makeSocket = WSASocketW;

SocketHandle newSocket(int type, int protocol) {
  // Overlapped, for receives that end at their time-out (timedRecv); blocking calls work
  // on it as on any socket.
  SOCKET s = g_makeSocket(AF_INET, type, protocol, nullptr, 0,
                          WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET && WSAGetLastError() == WSAEINVAL) {
    // Windows before 7 SP1 refuses the flag: a plain socket, kept from child processes
    // afterwards (the host may start programs while a printer connection is open).
    s = g_makeSocket(AF_INET, type, protocol, nullptr, 0, WSA_FLAG_OVERLAPPED);
    if (s != INVALID_SOCKET) {
      SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    }
  }
  if (s == INVALID_SOCKET) {
    fail();
    return kInvalidSocket;
  }
  ok();
  return static_cast<SocketHandle>(s);
}

}  // namespace

win32net::SocketMaker win32net::setSocketMaker(SocketMaker maker) {
  const SocketMaker previous = g_makeSocket;
  g_makeSocket = maker != nullptr ? maker : WSASocketW;
  return previous;
}

int netLastError() {
  return t_lastError;
}
void netSetLastError(int error) {
  t_lastError = error;
  WSASetLastError(error);
}

int netStartup() {
  WSADATA data{};
  int rc = WSAStartup(MAKEWORD(2, 2), &data);
  if (rc != 0) return failWith(rc);
  // Without a slot every timed receive makes and closes an event of its own.
  g_receiveEventSlot = FlsAlloc(&closeReceiveEvent);
  return ok();
}

void netCleanup() {
  // Closes the receive event of every thread that still has one: their callback would
  // otherwise run in an unloaded module when they end.
  if (g_receiveEventSlot != FLS_OUT_OF_INDEXES) {
    FlsFree(g_receiveEventSlot);
    g_receiveEventSlot = FLS_OUT_OF_INDEXES;
  }
  WSACleanup();
}

SocketHandle netTcpSocket() {
  SocketHandle s = newSocket(SOCK_STREAM, IPPROTO_TCP);
  if (s == kInvalidSocket) return s;
  BOOL one = TRUE;
  setsockopt(sockOf(s), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  return s;
}

SocketHandle netUdpSocket() {
  return newSocket(SOCK_DGRAM, IPPROTO_UDP);
}

int netClose(SocketHandle s) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  dropCloseEvent(sock);
  forgetReceiveMode(sock);
  if (closesocket(sock) != 0) return fail();
  return ok();
}

int netSetNonBlocking(SocketHandle s, bool nonBlocking) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  u_long v = nonBlocking ? 1 : 0;
  if (ioctlsocket(sock, FIONBIO, &v) != 0) return fail();
  markNonBlocking(sock, nonBlocking);
  return ok();
}

int netSetReceiveTimeout(SocketHandle s, uint32_t ms) {
  const int rc = setTimeoutOption(s, SO_RCVTIMEO, ms);
  if (rc == 0) setReceiveTimeoutOf(sockOf(s), ms);
  return rc;
}

int netSetSendTimeout(SocketHandle s, uint32_t ms) {
  return setTimeoutOption(s, SO_SNDTIMEO, ms);
}

int netGetReceiveTimeout(SocketHandle s, uint32_t* ms) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  // The one set through this backend, without a Winsock call (asked after every answer).
  if (const ReceiveMode mode = receiveModeOf(sock); mode.timeoutSet) {
    if (ms) *ms = mode.timeoutMs;
    return ok();
  }
  DWORD v = 0;
  int len = sizeof v;
  if (getsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&v), &len) != 0) {
    return fail();
  }
  if (ms) *ms = v;
  return ok();
}

int netPendingError(SocketHandle s, int* error) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  int err = 0;
  int len = sizeof err;
  if (getsockopt(sock, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0) {
    return fail();
  }
  if (error) *error = err;
  return ok();
}

int netConnect(SocketHandle s, const NetSockAddrIn* addr, int addrLen) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  if (!addr || addrLen != static_cast<int>(sizeof(NetSockAddrIn))) return failWith(kNetFault);
  if (addr->family != kNetAfInet) return failWith(kNetAfNotSupported);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = addr->portNet;
  sa.sin_addr.s_addr = addr->addrNet;
  if (connect(sock, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) return fail();
  return ok();
}

NetConnectWait netWaitConnect(SocketHandle s, uint32_t ms) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) {
    failWith(kNetNotSocket);
    return NetConnectWait::Failed;
  }
  bool refused = false;
  int n = selectOne(sock, false, true, ms, &refused);
  if (n < 0) return NetConnectWait::Failed;
  if (n == 0) return NetConnectWait::TimedOut;
  return refused ? NetConnectWait::Refused : NetConnectWait::Connected;
}

int netSend(SocketHandle s, const void* data, int len) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  if (len < 0 || (len > 0 && !data)) return failWith(kNetFault);
  int n = send(sock, static_cast<const char*>(data), len, 0);
  if (n == SOCKET_ERROR) return fail();
  return ok(n);
}

int netRecv(SocketHandle s, void* buf, int len) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  if (len < 0 || (len > 0 && !buf)) return failWith(kNetFault);
  // A blocking receive ends after the socket's receive time-out, the one set through this
  // backend (no query on every frame).
  if (const ReceiveMode mode = receiveModeOf(sock); !mode.nonBlocking && mode.timeoutMs > 0) {
    return timedRecv(sock, static_cast<char*>(buf), len, mode.timeoutMs);
  }
  int n = recv(sock, static_cast<char*>(buf), len, 0);
  if (n == SOCKET_ERROR) return fail();
  return ok(n);
}

int netShutdown(SocketHandle s, int how) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  int winHow = how == kNetShutdownReceive ? SD_RECEIVE
               : how == kNetShutdownSend  ? SD_SEND
               : how == kNetShutdownBoth  ? SD_BOTH
                                          : -1;
  if (winHow < 0) return failWith(kNetInvalid);
  if (shutdown(sock, winHow) != 0) return fail();
  return ok();
}

int netWatchPeerClose(SocketHandle s) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  WSAEVENT ev = closeEventOf(sock);
  if (ev == WSA_INVALID_EVENT) {
    ev = WSACreateEvent();
    if (ev == WSA_INVALID_EVENT) return fail();
    std::lock_guard lock(g_closeEventsMutex);
    g_closeEvents[sock] = ev;
  }
  // Also makes the socket non-blocking, as the graceful close expects.
  if (WSAEventSelect(sock, ev, FD_CLOSE) != 0) {
    int err = WSAGetLastError();
    dropCloseEvent(sock);
    return failWith(err);
  }
  markNonBlocking(sock, true);
  return ok();
}

int netWaitPeerClose(SocketHandle s, uint32_t ms) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  WSAEVENT ev = closeEventOf(sock);
  if (ev == WSA_INVALID_EVENT) return failWith(kNetInvalid);
  // A socket without a connection (its connect failed or never finished) gets no
  // FD_CLOSE: there is no peer to wait for, as poll() says on POSIX.
  sockaddr_in peer{};
  int peerLen = sizeof peer;
  if (getpeername(sock, reinterpret_cast<sockaddr*>(&peer), &peerLen) != 0 &&
      WSAGetLastError() == WSAENOTCONN) {
    return ok(1);
  }
  DWORD rc = WSAWaitForMultipleEvents(1, &ev, FALSE, ms, FALSE);
  if (rc == WSA_WAIT_TIMEOUT) return ok(0);
  if (rc == WSA_WAIT_FAILED) return fail();
  WSANETWORKEVENTS events{};
  if (WSAEnumNetworkEvents(sock, ev, &events) != 0) return fail();
  return ok((events.lNetworkEvents & FD_CLOSE) != 0 ? 1 : 0);
}

int netWaitReadable(SocketHandle s, uint32_t ms) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  return selectOne(sock, true, false, ms, nullptr);
}

int netSetBroadcast(SocketHandle s, bool on) {
  return setFlagOption(s, SO_BROADCAST, on);
}

int netBind(SocketHandle s, uint32_t ipHost, uint16_t port) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  sockaddr_in sa = inetAddress(ipHost, port);
  if (bind(sock, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) return fail();
  return ok();
}

int netSendTo(SocketHandle s, const void* data, int len, uint32_t ipHost, uint16_t port) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  if (len < 0 || (len > 0 && !data)) return failWith(kNetFault);
  sockaddr_in sa = inetAddress(ipHost, port);
  int n = sendto(sock, static_cast<const char*>(data), len, 0,
                 reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
  if (n == SOCKET_ERROR) return fail();
  return ok(n);
}

int netRecvFrom(SocketHandle s, void* buf, int len, uint32_t ms, uint32_t* fromIpHost,
                uint16_t* fromPort) {
  SOCKET sock = sockOf(s);
  if (sock == INVALID_SOCKET) return failWith(kNetNotSocket);
  if (len < 0 || (len > 0 && !buf)) return failWith(kNetFault);
  int ready = selectOne(sock, true, false, ms, nullptr);
  if (ready < 0) return kNetSocketError;
  if (ready == 0) return failWith(kNetTimedOut);
  sockaddr_in from{};
  int fromLen = sizeof from;
  int n =
      recvfrom(sock, static_cast<char*>(buf), len, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
  if (n == SOCKET_ERROR) {
    // A datagram larger than the buffer arrives cut, as on POSIX.
    if (WSAGetLastError() != WSAEMSGSIZE) return fail();
    n = len;
  }
  if (fromIpHost) *fromIpHost = ntohl(from.sin_addr.s_addr);
  if (fromPort) *fromPort = ntohs(from.sin_port);
  return ok(n);
}

}  // namespace nypr::platform
