// Listening, accepting and serving the TCP connections, and the UDP discovery responder:
// the simulator's socket I/O (net.cpp holds the socket helpers).
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "deadline.h"
#include "ktsim/frame.h"
#include "net.h"
#include "protocol.h"
#include "simulator_impl.h"

namespace ktsim {

using detail::Clock;
using detail::Connection;
using detail::kPartialFrameTimeout;
using detail::Plan;
using detail::readable;

bool Simulator::Impl::bindAt(uint32_t address) {
  const int cmd = detail::listenTcp(address, options.commandPort, options.listenBacklog);
  if (cmd < 0) return false;
  const int fin = detail::listenTcp(address, options.finishPort, options.listenBacklog);
  if (fin < 0) {
    const int saved = errno;
    ::close(cmd);
    errno = saved;
    return false;
  }
  listeners[0].fd = cmd;
  listeners[1].fd = fin;
  listeners[0].number = detail::localPort(cmd);
  listeners[1].number = detail::localPort(fin);
  ip = address;
  return true;
}

void Simulator::Impl::start() {
  std::lock_guard<std::mutex> lk(mu);
  if (started) return;
  if (::pipe2(wake, O_CLOEXEC) != 0) throw std::runtime_error("ktsim: pipe failed");
  for (auto& l : listeners) {
    if (::pipe2(l.kick, O_CLOEXEC | O_NONBLOCK) != 0)
      throw std::runtime_error("ktsim: pipe failed");
  }
  if (options.address.empty()) {
    std::random_device rd;
    std::mt19937 rng(rd());
    std::uniform_int_distribution<uint32_t> octet(0, 255), host(1, 254);
    bool bound = false;
    for (int attempt = 0; attempt < 100 && !bound; ++attempt) {
      const uint32_t a = octet(rng), b = octet(rng), c = host(rng);
      if (a == 0 && b == 0) continue;  // keep clear of 127.0.0.x used by hand
      bound = bindAt((127u << 24) | (a << 16) | (b << 8) | c);
      if (!bound && errno != EADDRINUSE && errno != EADDRNOTAVAIL) break;
    }
    if (!bound) {
      closeAll();
      throw std::runtime_error(std::string("ktsim: no free loopback address: ") +
                               std::strerror(errno));
    }
  } else {
    uint32_t a = 0;
    if (!detail::parseDotted(options.address, &a)) {
      closeAll();
      throw std::runtime_error("ktsim: bad address '" + options.address + "'");
    }
    if (!bindAt(a)) {
      const std::string why = std::strerror(errno);
      closeAll();
      throw std::runtime_error("ktsim: cannot listen on " + options.address + " ports " +
                               std::to_string(options.commandPort) + "/" +
                               std::to_string(options.finishPort) + ": " + why);
    }
  }
  if (options.discovery) {
    uint32_t a = ip;
    if (!options.discoveryAddress.empty() && !detail::parseDotted(options.discoveryAddress, &a)) {
      closeAll();
      throw std::runtime_error("ktsim: bad discovery address '" + options.discoveryAddress + "'");
    }
    udpFd = detail::bindUdp(a, options.discoveryPort);
    if (udpFd < 0) {
      const std::string why = std::strerror(errno);
      closeAll();
      throw std::runtime_error("ktsim: cannot bind discovery port " +
                               std::to_string(options.discoveryPort) + ": " + why);
    }
    udpPort = detail::localPort(udpFd);
  }
  if (!options.outputDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.outputDir, ec);
    if (ec) {
      closeAll();
      throw std::runtime_error("ktsim: cannot create output directory '" + options.outputDir +
                               "': " + ec.message());
    }
  }
  if (state.ip == 0) state.ip = ip;
  started = true;
  stopping = false;
  halting = false;
  log("listening on " + detail::dotted(ip) + " ports " + std::to_string(listeners[0].number) + "/" +
          std::to_string(listeners[1].number) +
          (udpFd >= 0 ? ", discovery on port " + std::to_string(udpPort) : ""),
      false);
  for (auto& l : listeners) l.thread = std::thread([this, &l] { acceptLoop(l); });
  engineThread = std::thread([this] { engineLoop(); });
  if (udpFd >= 0) udpThread = std::thread([this] { discoveryLoop(); });
}

void Simulator::Impl::closeAll() {
  for (auto& l : listeners) {
    if (l.fd >= 0) ::close(l.fd);
    l.fd = -1;
    for (int f : l.fillers) ::close(f);
    l.fillers.clear();
    l.fillerPorts.clear();
    for (int& k : l.kick) {
      if (k >= 0) ::close(k);
      k = -1;
    }
    l.accepting = true;
    l.parked = false;
  }
  if (udpFd >= 0) ::close(udpFd);
  udpFd = -1;
  for (int& w : wake) {
    if (w >= 0) ::close(w);
    w = -1;
  }
}

void Simulator::Impl::pause(Millis length) {
  const auto until = detail::deadlineAfter(length);
  for (;;) {
    const auto now = Clock::now();
    if (halting || now >= until) return;
    std::this_thread::sleep_for(std::min<Clock::duration>(until - now, Millis(50)));
  }
}

void Simulator::Impl::stop() {
  {
    std::lock_guard<std::mutex> lk(mu);
    if (!started) return;
    stopping = true;
    halting = true;
  }
  const char b = 1;
  [[maybe_unused]] auto n = ::write(wake[1], &b, 1);
  engineCv.notify_all();
  for (auto& l : listeners) {
    if (l.thread.joinable()) l.thread.join();
  }
  if (engineThread.joinable()) engineThread.join();
  if (udpThread.joinable()) udpThread.join();
  std::vector<std::shared_ptr<Connection>> all;
  {
    std::lock_guard<std::mutex> lk(mu);
    all = connections;
  }
  for (auto& c : all) {
    if (c->thread.joinable()) c->thread.join();
  }
  std::lock_guard<std::mutex> lk(mu);
  connections.clear();
  closeAll();
  started = false;
  log("stopped", false);
  notify();
}

void Simulator::Impl::acceptLoop(Listener& l) {
  for (;;) {
    bool accepting;
    {
      std::lock_guard<std::mutex> lk(mu);
      accepting = l.accepting;
      if (!accepting && !l.parked) {
        l.parked = true;
        parkCv.notify_all();
      }
    }
    pollfd p[3] = {
        {wake[0], POLLIN, 0}, {l.kick[0], POLLIN, 0}, {accepting ? l.fd : -1, POLLIN, 0}};
    if (::poll(p, 3, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (p[0].revents) return;
    if (p[1].revents) {
      char buf[16];
      while (::read(l.kick[0], buf, sizeof buf) > 0) {
      }
      continue;
    }
    if (!(p[2].revents & POLLIN)) continue;
    const int fd = ::accept4(l.fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    uint16_t peerPort = 0;
    const std::string peer = detail::peerName(fd, &peerPort);
    std::lock_guard<std::mutex> lk(mu);
    if (l.fillerPorts.count(peerPort)) {
      // One of our own queue fillers, left over from setAccepting(false).
      l.fillerPorts.erase(peerPort);
      ::close(fd);
      continue;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    reap();
    auto c = std::make_shared<Connection>();
    c->id = nextConnection++;
    c->port = l.port;
    c->peer = peer;
    c->fd = fd;
    ConnectionRecord r;
    r.id = c->id;
    r.port = l.port;
    r.peer = peer;
    connectionRecords.push_back(r);
    connections.push_back(c);
    log(std::string("[") + toString(l.port) + " #" + std::to_string(c->id) + "] accepted " + peer,
        false);
    c->thread = std::thread([this, c] { serve(c); });
    engineCv.notify_all();  // a finish connection may take waiting reports
    notify();
  }
}

void Simulator::Impl::reap() {
  for (auto it = connections.begin(); it != connections.end();) {
    if ((*it)->done && (*it)->thread.joinable()) {
      (*it)->thread.join();
      it = connections.erase(it);
    } else {
      ++it;
    }
  }
}

void Simulator::Impl::setAccepting(Port port, bool accepting) {
  Listener& l = listener(port);
  std::unique_lock<std::mutex> lk(mu);
  if (!started || l.accepting == accepting) return;
  l.accepting = accepting;
  l.parked = false;
  const char b = 1;
  [[maybe_unused]] auto n = ::write(l.kick[1], &b, 1);
  if (!accepting) {
    parkCv.wait(lk, [&] { return l.parked || stopping; });
    // Shrink the queue to its minimum and fill it ourselves: the kernel then drops
    // further SYNs and the host's connects time out.
    ::listen(l.fd, 0);
    for (int i = 0; i < 8; ++i) {
      const int f = detail::connectNonBlocking(ip, l.number);
      if (f < 0) break;
      l.fillers.push_back(f);
      l.fillerPorts.insert(detail::localPort(f));
      if (!detail::connectCompleted(f, 200)) break;  // queue full: this SYN was dropped
    }
    log(std::string(toString(port)) + " port stops accepting (queue filled)", false);
  } else {
    for (int f : l.fillers) ::close(f);
    l.fillers.clear();
    ::listen(l.fd, options.listenBacklog);
    log(std::string(toString(port)) + " port accepts again", false);
  }
  notify();
}

void Simulator::Impl::closeConnection(Connection& c, bool reset, bool byPrinter) {
  {
    std::lock_guard<std::mutex> wl(c.writeMu);
    if (c.fd >= 0) {
      if (reset) {
        detail::closeWithReset(c.fd);
      } else {
        ::close(c.fd);
      }
      c.fd = -1;
    }
  }
  std::lock_guard<std::mutex> lk(mu);
  if (auto* r = connectionRecord(c.id)) {
    if (r->open) {
      r->open = false;
      r->closedByPrinter = r->closedByPrinter || byPrinter;
      log(std::string("[") + toString(c.port) + " #" + std::to_string(c.id) + "] " +
              (reset       ? "reset by printer"
               : byPrinter ? "closed by printer"
                           : "closed by host"),
          false);
    }
  }
  engineCv.notify_all();
  notify();
}

void Simulator::Impl::serve(std::shared_ptr<Connection> c) {
  FrameReader reader;
  char buf[4096];
  bool byPrinter = false;
  bool reset = false;
  Clock::time_point partialSince{};
  for (;;) {
    int fd;
    {
      std::lock_guard<std::mutex> wl(c->writeMu);
      fd = c->fd;
    }
    if (fd < 0) break;
    int timeout = -1;
    if (!reader.pending().empty()) {
      const auto left =
          std::chrono::duration_cast<Millis>(partialSince + kPartialFrameTimeout - Clock::now());
      timeout = static_cast<int>(std::max<int64_t>(left.count(), 0));
    }
    pollfd p[2] = {{fd, POLLIN, 0}, {wake[0], POLLIN, 0}};
    const int r = ::poll(p, 2, timeout);
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (p[1].revents) {
      byPrinter = true;
      break;
    }
    if (r == 0) {
      std::lock_guard<std::mutex> lk(mu);
      recordFrame(*c, true, false, std::string(reader.pending()));
      log("incomplete frame dropped after " + std::to_string(kPartialFrameTimeout.count()) + " ms",
          true);
      reader.clear();
      notify();
      continue;
    }
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const bool wasEmpty = reader.pending().empty();
    reader.feed(std::string_view(buf, static_cast<size_t>(n)));
    bool end = false;
    bool consumed = false;
    while (auto item = reader.next()) {
      consumed = true;
      if (!item->valid) {
        std::lock_guard<std::mutex> lk(mu);
        recordFrame(*c, true, false, item->bytes);
        log("bad frame on " + std::string(toString(c->port)) + " #" + std::to_string(c->id) + ": " +
                item->reason + ": " + readable(item->bytes),
            true);
        notify();
        continue;
      }
      const int outcome = handleFrame(*c, item->bytes);
      if (outcome != 0) {
        byPrinter = true;
        reset = outcome == 2;
        end = true;
        break;
      }
    }
    if (end) break;
    // The time-out runs from the first byte of the frame still incomplete.
    if (!reader.pending().empty() && (wasEmpty || consumed)) partialSince = Clock::now();
  }
  if (!reader.pending().empty()) {
    std::lock_guard<std::mutex> lk(mu);
    recordFrame(*c, true, false, std::string(reader.pending()));
    log("connection ended inside a frame", true);
  }
  closeConnection(*c, reset, byPrinter);
  c->done = true;
}

int Simulator::Impl::handleFrame(Connection& c, const std::string& frame) {
  const std::string payload(*framePayload(frame));
  const std::string code = payload.size() >= 8 ? payload.substr(5, 3) : std::string();
  std::string answer;
  Plan plan;
  {
    std::lock_guard<std::mutex> lk(mu);
    recordFrame(c, true, true, frame);
    plan = planFaults(c, code);
    if (!plan.swallow) answer = respond(code, payload);
    if (!answer.empty()) applyPlan(plan, code, answer);
    if (answer.empty() && !plan.swallow) {
      log("no answer to " + (code.empty() ? std::string("a payload without code") : code) +
              " (unknown command)",
          true);
    }
    notify();
  }
  if (plan.swallow) return plan.reset ? 2 : plan.close ? 1 : 0;
  if (answer.empty()) return 0;
  if (plan.delay.count() > 0) pause(plan.delay);
  std::string out = makeFrame(answer);
  if (plan.lengthSkew != 0) {
    const int64_t announced = std::clamp<int64_t>(
        static_cast<int64_t>(answer.size()) + plan.lengthSkew, int64_t{0}, int64_t{9999});
    detail::put(out, 1, detail::digits(static_cast<int>(announced), 4));
  }
  bool ok = true;
  {
    std::lock_guard<std::mutex> wl(c.writeMu);
    if (c.fd < 0) return 1;
    if (plan.segments <= 1) {
      ok = detail::sendAll(c.fd, out);
    } else {
      const size_t parts = std::min<size_t>(static_cast<size_t>(plan.segments), out.size());
      const size_t step = (out.size() + parts - 1) / parts;
      for (size_t at = 0; at < out.size() && ok; at += step) {
        if (at > 0) pause(plan.gap);
        ok = detail::sendAll(c.fd, std::string_view(out).substr(at, step));
      }
    }
  }
  std::lock_guard<std::mutex> lk(mu);
  if (ok)
    recordFrame(c, false, true, out);
  else
    log("answer to " + code + " could not be sent", true);
  notify();
  return 0;
}

void Simulator::Impl::discoveryLoop() {
  char buf[512];
  for (;;) {
    pollfd p[2] = {{udpFd, POLLIN, 0}, {wake[0], POLLIN, 0}};
    if (::poll(p, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (p[1].revents) return;
    sockaddr_in from{};
    socklen_t len = sizeof from;
    const ssize_t n =
        ::recvfrom(udpFd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
    if (n <= 0) continue;
    const std::string_view request(buf, static_cast<size_t>(n));
    std::string reply;
    {
      std::lock_guard<std::mutex> lk(mu);
      const std::string sender =
          detail::dotted(ntohl(from.sin_addr.s_addr)) + ":" + std::to_string(ntohs(from.sin_port));
      if (request.substr(0, 19) != "RequestMiraMachine?") {
        if (request.substr(0, 11) != "MiraMachine") {
          log("discovery: ignored " + std::to_string(n) + " bytes from " + sender, true);
        }
        continue;
      }
      reply = detail::discoveryReply(state);
      log("discovery: request from " + sender + ", reply " + reply, false);
    }
    ::sendto(udpFd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), len);
  }
}

void Simulator::setAccepting(Port port, bool accepting) {
  impl_->setAccepting(port, accepting);
}

void Simulator::setAccepting(bool accepting) {
  impl_->setAccepting(Port::Command, accepting);
  impl_->setAccepting(Port::Finish, accepting);
}

void Simulator::closeConnections() {
  std::lock_guard<std::mutex> lk(impl_->mu);
  for (auto& c : impl_->connections) {
    std::lock_guard<std::mutex> wl(c->writeMu);
    if (c->fd >= 0) ::shutdown(c->fd, SHUT_RDWR);
    if (auto* r = impl_->connectionRecord(c->id); r && r->open) r->closedByPrinter = true;
  }
}

}  // namespace ktsim
