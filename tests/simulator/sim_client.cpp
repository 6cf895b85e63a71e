#include "sim_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace simtest {

std::string frame(std::string_view payload) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04zu", payload.size() % 10000);
  return std::string(1, '\x02') + digits + std::string(payload) + '\x03';
}

std::string fields(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view part : parts) out += part;
  return out;
}

Client::~Client() {
  close();
}

Client::Client(Client&& other) noexcept : fd_(other.fd_), buffer_(std::move(other.buffer_)) {
  other.fd_ = -1;
}

void Client::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
}

bool Client::connect(uint32_t ip, uint16_t port) {
  close();
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd_ < 0) return false;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(ip);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    if (errno != EINPROGRESS) {
      close();
      return false;
    }
    pollfd p{fd_, POLLOUT, 0};
    int error = 0;
    socklen_t len = sizeof error;
    if (::poll(&p, 1, 2000) != 1 || ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) != 0 ||
        error != 0) {
      close();
      return false;
    }
  }
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  return true;
}

bool Client::sendRaw(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::optional<std::string> Client::readFrame(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (buffer_.size() >= 5) {
      size_t length = 0;
      for (size_t i = 1; i <= 4; ++i) {
        if (buffer_[i] < '0' || buffer_[i] > '9') return std::nullopt;
        length = length * 10 + static_cast<size_t>(buffer_[i] - '0');
      }
      if (buffer_.size() >= length + 6) {
        std::string out = buffer_.substr(0, length + 6);
        buffer_.erase(0, length + 6);
        return out;
      }
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (fd_ < 0 || left.count() <= 0) return std::nullopt;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) != 1) return std::nullopt;
    char buf[2048];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) return std::nullopt;
    buffer_.append(buf, static_cast<size_t>(n));
  }
}

std::string Client::readPayload(int timeoutMs) {
  const auto f = readFrame(timeoutMs);
  if (!f || f->size() < 6) return {};
  return f->substr(5, f->size() - 6);
}

std::string Client::exchange(std::string_view payload, int timeoutMs) {
  if (!sendPayload(payload)) return {};
  return readPayload(timeoutMs);
}

std::string exchangeOnce(uint32_t ip, uint16_t port, std::string_view payload) {
  Client c;
  if (!c.connect(ip, port)) return {};
  return c.exchange(payload);
}

}  // namespace simtest
