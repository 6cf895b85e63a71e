#include "fault_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <list>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>

namespace nypr::test {
namespace {

constexpr int kPollMs = 20;

void sleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int listenOn(uint32_t address, uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, 16) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int connectTo(uint32_t address, uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool sendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void resetAndClose(int fd) {
  const linger hard{1, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  ::close(fd);
}

}  // namespace

struct FaultProxy::Impl {
  struct PortState {
    uint16_t port = 0;
    int listenFd = -1;
    ProxyPlan plan;
    uint64_t passed = 0;  // bytes since the plan was armed
    bool fired = false;   // the plan's reset or close has happened
  };

  uint32_t address = 0;
  uint32_t upstream = 0;
  PortState ports[2];
  mutable std::mutex mutex;
  std::mt19937 rng;
  ProxyCounts counts;
  std::atomic<bool> stopping{false};
  std::thread acceptor;
  std::list<std::thread> pumps;

  void acceptLoop() {
    pollfd fds[2] = {{ports[0].listenFd, POLLIN, 0}, {ports[1].listenFd, POLLIN, 0}};
    while (!stopping) {
      if (::poll(fds, 2, kPollMs) <= 0) continue;
      for (int p = 0; p < 2; ++p) {
        if ((fds[p].revents & POLLIN) == 0) continue;
        const int host = ::accept4(ports[p].listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (host < 0) continue;
        const int printer = connectTo(upstream, ports[p].port);
        if (printer < 0) {
          ::close(host);
          continue;
        }
        // Segments go out as cut, not held back for the peer's acknowledgement.
        const int on = 1;
        ::setsockopt(host, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ::setsockopt(printer, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        std::lock_guard<std::mutex> lock(mutex);
        ++counts.connections;
        pumps.emplace_back([this, p, host, printer] { pump(p, host, printer); });
      }
    }
  }

  // What the plan makes of `size` more bytes: how many may pass before the connection is
  // spoiled (all of them when it is not).
  size_t allowance(int p, size_t size, ProxyFault& fault) {
    std::lock_guard<std::mutex> lock(mutex);
    PortState& s = ports[p];
    fault = s.plan.fault;
    size_t pass = size;
    if ((fault == ProxyFault::Reset || fault == ProxyFault::Close) && !s.fired &&
        s.passed + size > s.plan.afterBytes) {
      pass = static_cast<size_t>(s.plan.afterBytes - s.passed);
      s.fired = true;
      ++(fault == ProxyFault::Reset ? counts.resets : counts.closes);
    } else if (fault == ProxyFault::Reset || fault == ProxyFault::Close) {
      fault = ProxyFault::None;
    }
    s.passed += pass;
    return pass;
  }

  bool forward(int p, int to, const char* data, size_t size, ProxyFault fault) {
    if (fault == ProxyFault::Delay) {
      int ms;
      {
        std::lock_guard<std::mutex> lock(mutex);
        ms = ports[p].plan.delayMs;
      }
      sleepMs(ms);
    }
    if (fault != ProxyFault::Split) return sendAll(to, data, size);
    // Two to four segments, cut at random places, 1 ms apart.
    int segments;
    {
      std::lock_guard<std::mutex> lock(mutex);
      segments = 2 + static_cast<int>(rng() % 3);
    }
    while (size > 0) {
      size_t piece = size;
      if (--segments > 0) {
        std::lock_guard<std::mutex> lock(mutex);
        piece = 1 + rng() % size;
      }
      if (!sendAll(to, data, piece)) return false;
      data += piece;
      size -= piece;
      if (size > 0) sleepMs(1);
    }
    return true;
  }

  void pump(int p, int host, int printer) {
    pollfd fds[2] = {{host, POLLIN, 0}, {printer, POLLIN, 0}};
    char buf[4096];
    bool open = true;
    while (open && !stopping) {
      if (::poll(fds, 2, kPollMs) <= 0) continue;
      for (int side = 0; side < 2 && open; ++side) {
        if ((fds[side].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
        const ssize_t n = ::recv(fds[side].fd, buf, sizeof buf, 0);
        if (n <= 0) {
          open = false;
          break;
        }
        ProxyFault fault = ProxyFault::None;
        const size_t pass = allowance(p, static_cast<size_t>(n), fault);
        const int to = fds[1 - side].fd;
        if (!forward(p, to, buf, pass, fault)) open = false;
        if (fault == ProxyFault::Reset) {
          resetAndClose(host);
          ::close(printer);
          return;
        }
        if (fault == ProxyFault::Close) {
          ::shutdown(host, SHUT_RDWR);
          open = false;
        }
      }
    }
    ::close(host);
    ::close(printer);
  }
};

FaultProxy::FaultProxy(const std::string& upstream, uint16_t commandPort, uint16_t finishPort,
                       uint32_t seed)
    : impl_(std::make_unique<Impl>()) {
  impl_->rng.seed(seed);
  in_addr up{};
  if (::inet_pton(AF_INET, upstream.c_str(), &up) != 1) throw std::runtime_error("bad upstream");
  impl_->upstream = ntohl(up.s_addr);
  impl_->ports[0].port = commandPort;
  impl_->ports[1].port = finishPort;
  std::random_device entropy;  // the address only; the faults follow the seed
  for (int attempt = 0; attempt < 50; ++attempt) {
    const uint32_t address = 0x7F000000u | ((entropy() % 0xFFFFu) << 8) | (1 + entropy() % 254);
    const int command = listenOn(address, commandPort);
    if (command < 0) continue;
    const int finish = listenOn(address, finishPort);
    if (finish < 0) {
      ::close(command);
      continue;
    }
    impl_->ports[0].listenFd = command;
    impl_->ports[1].listenFd = finish;
    impl_->address = address;
    break;
  }
  if (impl_->address == 0) throw std::runtime_error("no free loopback address for the proxy");
  impl_->acceptor = std::thread([this] { impl_->acceptLoop(); });
}

FaultProxy::~FaultProxy() {
  impl_->stopping = true;
  impl_->acceptor.join();
  std::list<std::thread> pumps;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    pumps.swap(impl_->pumps);
  }
  for (auto& t : pumps) t.join();
  for (auto& s : impl_->ports) ::close(s.listenFd);
}

uint32_t FaultProxy::addressValue() const {
  return impl_->address;
}

void FaultProxy::arm(ProxyPort port, const ProxyPlan& plan) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  auto& s = impl_->ports[port == ProxyPort::Command ? 0 : 1];
  s.plan = plan;
  s.passed = 0;
  s.fired = false;
}

ProxyCounts FaultProxy::counts() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->counts;
}

}  // namespace nypr::test
