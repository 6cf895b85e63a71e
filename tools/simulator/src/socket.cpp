#include "ktsim/socket.h"

#include <algorithm>
#include <chrono>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace ktsim {

namespace {

#ifdef _WIN32
using Length = int;
constexpr int kNoSignal = 0;
int pollOne(SocketHandle h, short events, int timeoutMs) {
  WSAPOLLFD p{};
  p.fd = static_cast<SOCKET>(h);
  p.events = events;
  return ::WSAPoll(&p, 1, timeoutMs);
}
bool interrupted() {
  return false;
}
#else
using Length = size_t;
constexpr int kNoSignal = MSG_NOSIGNAL;
int pollOne(SocketHandle h, short events, int timeoutMs) {
  pollfd p{h, events, 0};
  return ::poll(&p, 1, timeoutMs);
}
bool interrupted() {
  return errno == EINTR;
}
#endif

sockaddr_in makeAddress(uint32_t ip, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(ip);
  a.sin_port = htons(port);
  return a;
}

SocketHandle newStreamSocket() {
#ifdef _WIN32
  return static_cast<SocketHandle>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
#else
  return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
#endif
}

// Milliseconds left until `deadline`, or -1 for no deadline.
int remainingMs(std::optional<std::chrono::steady_clock::time_point> deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      *deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

bool startSockets() {
#ifdef _WIN32
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
#else
  return true;
#endif
}

SocketHandle Socket::invalidHandle() {
#ifdef _WIN32
  return static_cast<SocketHandle>(INVALID_SOCKET);
#else
  return -1;
#endif
}

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.release();
  }
  return *this;
}

bool Socket::valid() const {
  return handle_ != invalidHandle();
}

void Socket::close() {
  if (!valid()) return;
#ifdef _WIN32
  ::closesocket(static_cast<SOCKET>(handle_));
#else
  ::close(handle_);
#endif
  handle_ = invalidHandle();
}

SocketHandle Socket::release() {
  const SocketHandle h = handle_;
  handle_ = invalidHandle();
  return h;
}

void Socket::shutdownBoth() {
#ifdef _WIN32
  if (valid()) ::shutdown(static_cast<SOCKET>(handle_), SD_BOTH);
#else
  if (valid()) ::shutdown(handle_, SHUT_RDWR);
#endif
}

Socket Socket::listenOn(uint32_t ip, uint16_t port, int backlog) {
  Socket s(newStreamSocket());
  if (!s.valid()) return s;
  const sockaddr_in a = makeAddress(ip, port);
  if (::bind(s.handle_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(s.handle_, backlog) != 0) {
    s.close();
  }
  return s;
}

Socket Socket::connectTo(uint32_t ip, uint16_t port) {
  Socket s(newStreamSocket());
  if (!s.valid()) return s;
  const sockaddr_in a = makeAddress(ip, port);
  if (::connect(s.handle_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
    s.close();
    return s;
  }
  // Requests and answers are small and strictly alternate: no Nagle delay.
  const int on = 1;
  ::setsockopt(s.handle_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  return s;
}

Socket Socket::accept(int timeoutMs) const {
  if (!valid() || !waitReadable(timeoutMs)) return Socket();
  Socket s(static_cast<SocketHandle>(::accept(handle_, nullptr, nullptr)));
  if (s.valid()) {
    const int on = 1;
    ::setsockopt(s.handle_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                 sizeof on);
  }
  return s;
}

uint16_t Socket::localPort() const {
  sockaddr_in a{};
  socklen_t length = sizeof a;
  if (::getsockname(handle_, reinterpret_cast<sockaddr*>(&a), &length) != 0) return 0;
  return ntohs(a.sin_port);
}

bool Socket::sendAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t chunk = std::min<size_t>(bytes.size(), 1u << 20);
    const auto n = ::send(handle_, bytes.data(), static_cast<Length>(chunk), kNoSignal);
    if (n < 0 && interrupted()) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool Socket::waitReadable(int timeoutMs) const {
  for (;;) {
    const int r = pollOne(handle_, POLLIN, timeoutMs);
    if (r < 0 && interrupted()) continue;
    return r > 0;
  }
}

bool Socket::receiveExact(char* data, size_t size, int timeoutMs) {
  std::optional<std::chrono::steady_clock::time_point> deadline;
  if (timeoutMs >= 0)
    deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (size > 0) {
    if (!waitReadable(remainingMs(deadline))) return false;
    const size_t chunk = std::min<size_t>(size, 1u << 20);
    const auto n = ::recv(handle_, data, static_cast<Length>(chunk), 0);
    if (n < 0 && interrupted()) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool Socket::endOfStream(int timeoutMs) {
  char byte;
  return waitReadable(timeoutMs) && ::recv(handle_, &byte, 1, 0) == 0;
}

std::optional<uint32_t> parseIpv4(std::string_view text) {
  uint32_t value = 0;
  int parts = 0;
  size_t i = 0;
  while (parts < 4) {
    size_t digits = 0;
    uint32_t part = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 3) {
      part = part * 10 + static_cast<uint32_t>(text[i] - '0');
      ++i;
      ++digits;
    }
    if (digits == 0 || part > 255) return std::nullopt;
    value = (value << 8) | part;
    if (++parts < 4) {
      if (i >= text.size() || text[i] != '.') return std::nullopt;
      ++i;
    }
  }
  if (i != text.size()) return std::nullopt;
  return value;
}

}  // namespace ktsim
