#include "net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ktsim::detail {

namespace {

sockaddr_in makeAddress(uint32_t ip, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(ip);
  a.sin_port = htons(port);
  return a;
}

void closeKeepErrno(int fd) {
  const int saved = errno;
  ::close(fd);
  errno = saved;
}

}  // namespace

int listenTcp(uint32_t ip, uint16_t port, int backlog) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  const sockaddr_in a = makeAddress(ip, port);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(fd, backlog) != 0) {
    closeKeepErrno(fd);
    return -1;
  }
  return fd;
}

int bindUdp(uint32_t ip, uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  const sockaddr_in a = makeAddress(ip, port);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
    closeKeepErrno(fd);
    return -1;
  }
  return fd;
}

uint16_t localPort(int fd) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) return 0;
  return ntohs(a.sin_port);
}

std::string peerName(int fd, uint16_t* port) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) return "?";
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
  if (port) *port = ntohs(a.sin_port);
  return std::string(text) + ":" + std::to_string(ntohs(a.sin_port));
}

bool sendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool peerEnded(int fd) {
  char byte;
  const ssize_t n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n > 0) return false;
  if (n == 0) return true;
  return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
}

void closeWithReset(int fd) {
  linger l{};
  l.l_onoff = 1;
  l.l_linger = 0;
  ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  ::close(fd);
}

int connectNonBlocking(uint32_t ip, uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  const sockaddr_in a = makeAddress(ip, port);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 && errno != EINPROGRESS) {
    closeKeepErrno(fd);
    return -1;
  }
  return fd;
}

bool connectCompleted(int fd, int ms) {
  pollfd p{fd, POLLOUT, 0};
  if (::poll(&p, 1, ms) <= 0) return false;
  int error = 0;
  socklen_t len = sizeof error;
  ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
  return error == 0;
}

bool parseDotted(const std::string& text, uint32_t* ip) {
  in_addr a{};
  if (::inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
  *ip = ntohl(a.s_addr);
  return true;
}

}  // namespace ktsim::detail
