// POSIX backend of platform/net.h: BSD sockets with errno translated to the Windows socket
// numbering, poll() for every wait.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/net.h"

namespace nypr::platform {
namespace {

thread_local int t_lastError = 0;

// Sockets whose connection came up. Linux forgets a connection once both sides have
// ended it, where Winsock still lets it be shut down; a socket whose connect failed was
// never connected, on either.
std::mutex g_connectedMutex;
std::set<int> g_connected;

void markConnected(int fd, bool connected) {
  std::lock_guard lock(g_connectedMutex);
  if (connected) {
    g_connected.insert(fd);
  } else {
    g_connected.erase(fd);
  }
}

bool wasConnected(int fd) {
  std::lock_guard lock(g_connectedMutex);
  return g_connected.count(fd) != 0;
}

int winsockError(int err) {
  switch (err) {
    case 0:
      return 0;
    case EINTR:
      return kNetInterrupted;
    case EBADF:
      return kNetNotSocket;
    case EACCES:
    case EPERM:
      return kNetAccess;
    case EFAULT:
      return kNetFault;
    case EINVAL:
      return kNetInvalid;
    case EMFILE:
    case ENFILE:
      return kNetTooManySockets;
#if EAGAIN != EWOULDBLOCK
    case EAGAIN:
#endif
    case EWOULDBLOCK:
    case EINPROGRESS:  // a non-blocking connect under way: Winsock says "would block"
      return kNetWouldBlock;
    case EALREADY:
      return kNetAlready;
    case ENOTSOCK:
      return kNetNotSocket;
    case EMSGSIZE:
      return kNetMsgSize;
    case ENOPROTOOPT:
      return kNetNoProtoOpt;
    case EOPNOTSUPP:
      return kNetNotSupported;
    case EAFNOSUPPORT:
      return kNetAfNotSupported;
    case EADDRINUSE:
      return kNetAddrInUse;
    case EADDRNOTAVAIL:
      return kNetAddrNotAvail;
    case ENETDOWN:
      return kNetDown;
    case ENETUNREACH:
      return kNetUnreachable;
    case ENETRESET:
      return kNetReset;
    case ECONNABORTED:
      return kNetConnAborted;
    case ECONNRESET:
    case EPIPE:  // sending on a connection the peer reset: Winsock reports the reset
      return kNetConnReset;
    case ENOBUFS:
    case ENOMEM:
      return kNetNoBuffers;
    case EISCONN:
      return kNetIsConnected;
    case ENOTCONN:
      return kNetNotConnected;
    case ESHUTDOWN:
      return kNetShutDown;
    case ETIMEDOUT:
      return kNetTimedOut;
    case ECONNREFUSED:
      return kNetConnRefused;
    case EHOSTDOWN:
      return kNetHostDown;
    case EHOSTUNREACH:
      return kNetHostUnreachable;
    default:
      return kNetInvalid;
  }
}

int fail(int err) {
  t_lastError = winsockError(err);
  return kNetSocketError;
}

int ok(int result = 0) {
  t_lastError = 0;
  return result;
}

int fdOf(SocketHandle s) {
  if (!isOpenSocket(s) || s > static_cast<SocketHandle>(INT_MAX)) return -1;
  return static_cast<int>(s);
}

bool isNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_NONBLOCK) != 0;
}

// A time-out of a blocking call shows as EAGAIN on POSIX but as WSAETIMEDOUT on Windows.
int failIo(int fd, int err) {
  if ((err == EAGAIN || err == EWOULDBLOCK) && !isNonBlocking(fd)) {
    t_lastError = kNetTimedOut;
    return kNetSocketError;
  }
  return fail(err);
}

// Descriptor 0 means "no socket" in a printer slot, so a socket never gets it.
SocketHandle handleOf(int fd) {
  if (fd == 0) {
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
    int err = errno;
    close(fd);
    if (moved < 0) {
      fail(err);
      return kInvalidSocket;
    }
    fd = moved;
  }
  ok();
  return static_cast<SocketHandle>(fd);
}

// poll() on one descriptor that survives signals, keeping the overall limit.
int pollOne(int fd, short events, uint32_t ms, short* revents) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  pollfd p{fd, events, 0};
  for (;;) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0) left = 0;
    int n = poll(&p, 1, static_cast<int>(left > INT_MAX ? INT_MAX : left));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(errno);
    *revents = p.revents;
    return ok(n);
  }
}

int setTimeoutOption(SocketHandle s, int option, uint32_t ms) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(ms / 1000);
  tv.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
  if (setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv) != 0) return fail(errno);
  return ok();
}

int setFlagOption(SocketHandle s, int level, int option, bool on) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  int v = on ? 1 : 0;
  if (setsockopt(fd, level, option, &v, sizeof v) != 0) return fail(errno);
  return ok();
}

sockaddr_in inetAddress(uint32_t ipHost, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(ipHost);
  return sa;
}

}  // namespace

int netLastError() {
  return t_lastError;
}
void netSetLastError(int error) {
  t_lastError = error;
}

int netStartup() {
  return 0;
}
void netCleanup() {}

SocketHandle netTcpSocket() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    fail(errno);
    return kInvalidSocket;
  }
  SocketHandle s = handleOf(fd);
  if (s == kInvalidSocket) return s;
  int one = 1;
  setsockopt(static_cast<int>(s), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return s;
}

SocketHandle netUdpSocket() {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
  if (fd < 0) {
    fail(errno);
    return kInvalidSocket;
  }
  return handleOf(fd);
}

int netClose(SocketHandle s) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  markConnected(fd, false);
  // Linux releases the descriptor even when close() reports EINTR; never retry.
  if (close(fd) != 0 && errno != EINTR) return fail(errno);
  return ok();
}

int netSetNonBlocking(SocketHandle s, bool nonBlocking) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return fail(errno);
  flags = nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  if (fcntl(fd, F_SETFL, flags) != 0) return fail(errno);
  return ok();
}

int netSetReceiveTimeout(SocketHandle s, uint32_t ms) {
  return setTimeoutOption(s, SO_RCVTIMEO, ms);
}

int netSetSendTimeout(SocketHandle s, uint32_t ms) {
  return setTimeoutOption(s, SO_SNDTIMEO, ms);
}

int netGetReceiveTimeout(SocketHandle s, uint32_t* ms) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  timeval tv{};
  socklen_t len = sizeof tv;
  if (getsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, &len) != 0) return fail(errno);
  if (ms) {
    *ms = static_cast<uint32_t>(tv.tv_sec) * 1000u + static_cast<uint32_t>(tv.tv_usec / 1000);
  }
  return ok();
}

int netPendingError(SocketHandle s, int* error) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  int err = 0;
  socklen_t len = sizeof err;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return fail(errno);
  if (error) *error = winsockError(err);
  return ok();
}

int netConnect(SocketHandle s, const NetSockAddrIn* addr, int addrLen) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  if (!addr || addrLen != static_cast<int>(sizeof(NetSockAddrIn))) return fail(EFAULT);
  if (addr->family != kNetAfInet) return fail(EAFNOSUPPORT);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = addr->portNet;
  sa.sin_addr.s_addr = addr->addrNet;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) return fail(errno);
  markConnected(fd, true);
  return ok();
}

NetConnectWait netWaitConnect(SocketHandle s, uint32_t ms) {
  int fd = fdOf(s);
  if (fd < 0) {
    fail(EBADF);
    return NetConnectWait::Failed;
  }
  short revents = 0;
  int n = pollOne(fd, POLLOUT, ms, &revents);
  if (n < 0) return NetConnectWait::Failed;
  if (n == 0) return NetConnectWait::TimedOut;
  // A refused connect shows as POLLERR/POLLHUP, which Windows reports in the exception set.
  if (revents & (POLLERR | POLLHUP | POLLNVAL)) return NetConnectWait::Refused;
  if ((revents & POLLOUT) == 0) return NetConnectWait::TimedOut;
  markConnected(fd, true);
  return NetConnectWait::Connected;
}

int netSend(SocketHandle s, const void* data, int len) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  if (len < 0 || (len > 0 && !data)) return fail(EFAULT);
  for (;;) {
    ssize_t n = send(fd, data, static_cast<size_t>(len), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failIo(fd, errno);
    return ok(static_cast<int>(n));
  }
}

int netRecv(SocketHandle s, void* buf, int len) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  if (len < 0 || (len > 0 && !buf)) return fail(EFAULT);
  for (;;) {
    ssize_t n = recv(fd, buf, static_cast<size_t>(len), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failIo(fd, errno);
    return ok(static_cast<int>(n));
  }
}

int netShutdown(SocketHandle s, int how) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  int posixHow = how == kNetShutdownReceive ? SHUT_RD
                 : how == kNetShutdownSend  ? SHUT_WR
                 : how == kNetShutdownBoth  ? SHUT_RDWR
                                            : -1;
  if (posixHow < 0) return fail(EINVAL);
  if (shutdown(fd, posixHow) != 0) {
    // Winsock still lets a connection that both sides have ended be shut down.
    if (errno == ENOTCONN && wasConnected(fd)) return ok();
    return fail(errno);
  }
  return ok();
}

int netWatchPeerClose(SocketHandle s) {
  return netSetNonBlocking(s, true);
}

int netWaitPeerClose(SocketHandle s, uint32_t ms) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  // POLLRDHUP (Linux) reports the peer's FIN without waking for ordinary data.
  short revents = 0;
  int n = pollOne(fd, POLLRDHUP, ms, &revents);
  if (n < 0) return kNetSocketError;
  return ok((n > 0 && (revents & (POLLRDHUP | POLLHUP | POLLERR))) ? 1 : 0);
}

int netWaitReadable(SocketHandle s, uint32_t ms) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  short revents = 0;
  int n = pollOne(fd, POLLIN, ms, &revents);
  if (n < 0) return kNetSocketError;
  return ok(n > 0 ? 1 : 0);
}

int netSetBroadcast(SocketHandle s, bool on) {
  return setFlagOption(s, SOL_SOCKET, SO_BROADCAST, on);
}

int netBind(SocketHandle s, uint32_t ipHost, uint16_t port) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  sockaddr_in sa = inetAddress(ipHost, port);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) return fail(errno);
  return ok();
}

int netSendTo(SocketHandle s, const void* data, int len, uint32_t ipHost, uint16_t port) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  if (len < 0 || (len > 0 && !data)) return fail(EFAULT);
  sockaddr_in sa = inetAddress(ipHost, port);
  for (;;) {
    ssize_t n = sendto(fd, data, static_cast<size_t>(len), MSG_NOSIGNAL,
                       reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failIo(fd, errno);
    return ok(static_cast<int>(n));
  }
}

int netRecvFrom(SocketHandle s, void* buf, int len, uint32_t ms, uint32_t* fromIpHost,
                uint16_t* fromPort) {
  int fd = fdOf(s);
  if (fd < 0) return fail(EBADF);
  if (len < 0 || (len > 0 && !buf)) return fail(EFAULT);
  short revents = 0;
  int ready = pollOne(fd, POLLIN, ms, &revents);
  if (ready < 0) return kNetSocketError;
  if (ready == 0) {
    t_lastError = kNetTimedOut;
    return kNetSocketError;
  }
  sockaddr_in from{};
  socklen_t fromLen = sizeof from;
  for (;;) {
    ssize_t n = recvfrom(fd, buf, static_cast<size_t>(len), MSG_DONTWAIT,
                         reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      // Readable but nothing there (a datagram with a bad checksum was dropped).
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        t_lastError = kNetTimedOut;
        return kNetSocketError;
      }
      return fail(errno);
    }
    if (fromIpHost) *fromIpHost = ntohl(from.sin_addr.s_addr);
    if (fromPort) *fromPort = ntohs(from.sin_port);
    return ok(static_cast<int>(n));
  }
}

}  // namespace nypr::platform
