#include "ktsim/simulator.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>

#include "ktsim/frame.h"
#include "net.h"
#include "protocol.h"
#include "raster.h"

namespace ktsim {

using Clock = std::chrono::steady_clock;

namespace {

// Labels kept in memory; older ones are dropped (their PNG files stay).
constexpr size_t kMaxStoredLabels = 1000;
// Log lines kept in memory.
constexpr size_t kMaxLogLines = 20000;
// A frame that stays incomplete this long is dropped (the host sent fewer bytes than
// its length digits promised).
constexpr Millis kPartialFrameTimeout{2000};
// Test prints come out 30 mm long over the whole head.
constexpr int kTestLabelDots = 360;
constexpr int kHeadDots = 960;

bool isEnded(JobState s) {
  return s == JobState::Finished || s == JobState::Stopped || s == JobState::Failed ||
         s == JobState::Abandoned;
}

// Frame bytes in readable form: control bytes escaped, long binary data abbreviated.
std::string readable(std::string_view bytes) {
  std::string out;
  const auto payload = framePayload(bytes);
  std::string_view shown = bytes;
  size_t hidden = 0;
  if (payload && payload->size() > 12 && payload->substr(5, 3) == "DTI") {
    shown = bytes.substr(0, 17);
    hidden = bytes.size() - 17;
  } else if (payload && payload->size() > 12 && payload->substr(5, 3) == "IDS") {
    shown = bytes.substr(0, 17);
    hidden = bytes.size() - 17;
  } else if (bytes.size() > 300) {
    shown = bytes.substr(0, 300);
    hidden = bytes.size() - 300;
  }
  for (unsigned char c : shown) {
    if (c == 0x02) {
      out += "<STX>";
    } else if (c == 0x03) {
      out += "<ETX>";
    } else if (c < 0x20 || c >= 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (hidden) out += "...(" + std::to_string(hidden) + " more bytes)";
  return out;
}

}  // namespace

std::string FrameRecord::payload() const {
  if (!valid) return {};
  const auto p = framePayload(bytes);
  return p ? std::string(*p) : std::string();
}

std::string FrameRecord::code() const {
  const std::string p = payload();
  return p.size() >= 8 ? p.substr(5, 3) : std::string();
}

const char* toString(Port port) {
  return port == Port::Command ? "command" : "finish";
}

const char* toString(JobState state) {
  switch (state) {
    case JobState::Receiving:
      return "receiving";
    case JobState::Issuing:
      return "issuing";
    case JobState::Finished:
      return "finished";
    case JobState::Stopped:
      return "stopped";
    case JobState::Failed:
      return "failed";
    case JobState::Abandoned:
      return "abandoned";
  }
  return "?";
}

const char* toString(FaultAction action) {
  switch (action) {
    case FaultAction::WrongCode:
      return "wrong-code";
    case FaultAction::NoAnswerClose:
      return "no-answer-close";
    case FaultAction::NoAnswer:
      return "no-answer";
    case FaultAction::Reset:
      return "reset";
    case FaultAction::Delay:
      return "delay";
    case FaultAction::Split:
      return "split";
    case FaultAction::FailureFlag:
      return "failure-flag";
    case FaultAction::Status:
      return "status";
    case FaultAction::WrongParameter:
      return "wrong-parameter";
    case FaultAction::OtherHeader:
      return "other-header";
    case FaultAction::LengthDigits:
      return "length-digits";
    case FaultAction::Truncate:
      return "truncate";
  }
  return "?";
}

namespace {

struct Connection {
  uint64_t id = 0;
  Port port = Port::Command;
  std::string peer;
  std::mutex writeMu;  // guards fd and writes (answers and finish reports interleave)
  int fd = -1;
  std::atomic<bool> done{false};
  // The host has ended this connection (its end of stream arrived) although the reader
  // thread has not closed it yet: no finish report may go out on it.
  std::atomic<bool> peerGone{false};
  std::thread thread;
};

// True when the host's end of stream is waiting on `fd`, or the connection failed.
bool peerEnded(int fd) {
  char byte;
  const ssize_t n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n > 0) return false;
  if (n == 0) return true;
  return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
}

struct Listener {
  Port port = Port::Command;
  int fd = -1;
  uint16_t number = 0;
  int kick[2] = {-1, -1};  // wakes the acceptor when `accepting` changes
  bool accepting = true;
  bool parked = false;
  std::vector<int> fillers;        // the simulator's own connects that fill the queue
  std::set<uint16_t> fillerPorts;  // their local ports, to recognise them on accept
  std::thread thread;
};

struct FaultEntry {
  int id = 0;
  Fault fault;
  int matched = 0;
  int hits = 0;
};

struct OutgoingReport {
  FinishReport report;
};

// What the faults do to one request.
struct Plan {
  bool swallow = false;
  bool close = false;
  bool reset = false;
  Millis delay{0};
  int segments = 1;
  Millis gap{0};
  std::optional<std::string> code;
  bool failure = false;
  std::optional<int> status;
  std::optional<int> wrongParameter;
  std::optional<std::string> header;
  int lengthSkew = 0;
  std::optional<int> truncate;
};

}  // namespace

struct Simulator::Impl {
  Options options;

  mutable std::mutex mu;
  std::condition_variable engineCv;
  std::condition_variable parkCv;
  mutable std::mutex eventMu;
  mutable std::condition_variable eventCv;
  uint64_t eventSeq = 0;

  PrinterState state;
  bool started = false;
  bool stopping = false;
  uint32_t ip = 0;
  int wake[2] = {-1, -1};
  Listener listeners[2];
  int udpFd = -1;
  uint16_t udpPort = 0;
  std::thread udpThread;
  std::thread engineThread;

  std::vector<std::shared_ptr<Connection>> connections;  // open or not yet joined
  std::vector<ConnectionRecord> connectionRecords;
  uint64_t nextConnection = 1;
  std::vector<FrameRecord> frameRecords;
  std::map<uint64_t, JobRecord> jobRecords;
  std::map<uint64_t, PrintedLabel> jobLabels;  // rendered once per job
  std::map<uint64_t, int> testForms;           // issue form of test-print jobs
  uint64_t nextJob = 1;
  std::deque<uint64_t> issueQueue;
  std::deque<OutgoingReport> outbox;
  std::deque<PrintedLabel> labelRecords;
  std::vector<FinishReport> reportRecords;
  ProgramRecord programRecord;
  bool programBroken = false;
  std::deque<std::string> logRecords;
  std::vector<FaultEntry> faults;
  int nextFault = 1;
  FinishReportHook hook;
  bool hold = false;
  bool labelWaiting = false;
  struct PendingError {
    int number;
    int afterCopies;
  };
  std::optional<PendingError> pendingError;
  std::optional<Clock::time_point> nextIssueAt;
  uint64_t travelRemainderDots = 0;

  explicit Impl(Options o) : options(std::move(o)) {
    listeners[0].port = Port::Command;
    listeners[1].port = Port::Finish;
    MemoryCard card;
    card.present = true;
    card.files = 3;
    card.firstSize = "000008388608";
    card.secondSize = "000004194304";
    state.cards[0] = card;
  }

  Listener& listener(Port p) { return listeners[p == Port::Command ? 0 : 1]; }

  // ---- events and log ----

  void notify() const {
    {
      std::lock_guard<std::mutex> lk(eventMu);
      const_cast<Impl*>(this)->eventSeq++;
    }
    eventCv.notify_all();
  }

  // Caller holds mu.
  void log(const std::string& line, bool warning) {
    const std::string text = (warning ? "warning: " : "") + line;
    logRecords.push_back(text);
    if (logRecords.size() > kMaxLogLines) logRecords.pop_front();
    if (options.logSink) {
      if (options.verbose || warning) options.logSink(text);
    } else if (options.verbose) {
      std::cerr << "kt3600r-sim: " << text << '\n';
    }
  }

  void recordFrame(const Connection& c, bool received, bool valid, std::string bytes) {
    if (options.verbose) {
      std::string line = std::string("[") + toString(c.port) + " #" + std::to_string(c.id) + "] " +
                         (received ? "<- " : "-> ") + readable(bytes);
      log(valid ? line : line + " (dropped)", false);
    }
    FrameRecord r;
    r.connection = c.id;
    r.port = c.port;
    r.received = received;
    r.valid = valid;
    r.bytes = std::move(bytes);
    frameRecords.push_back(std::move(r));
  }

  ConnectionRecord* connectionRecord(uint64_t id) {
    for (auto& r : connectionRecords) {
      if (r.id == id) return &r;
    }
    return nullptr;
  }

  // ---- life cycle ----

  bool bindAt(uint32_t address) {
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

  void start() {
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
    log("listening on " + detail::dotted(ip) + " ports " + std::to_string(listeners[0].number) +
            "/" + std::to_string(listeners[1].number) +
            (udpFd >= 0 ? ", discovery on port " + std::to_string(udpPort) : ""),
        false);
    for (auto& l : listeners) l.thread = std::thread([this, &l] { acceptLoop(l); });
    engineThread = std::thread([this] { engineLoop(); });
    if (udpFd >= 0) udpThread = std::thread([this] { discoveryLoop(); });
  }

  void closeAll() {
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

  void stop() {
    {
      std::lock_guard<std::mutex> lk(mu);
      if (!started) return;
      stopping = true;
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

  // ---- accepting ----

  void acceptLoop(Listener& l) {
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

  // Joins the threads of connections that ended. Caller holds mu.
  void reap() {
    for (auto it = connections.begin(); it != connections.end();) {
      if ((*it)->done && (*it)->thread.joinable()) {
        (*it)->thread.join();
        it = connections.erase(it);
      } else {
        ++it;
      }
    }
  }

  void setAccepting(Port port, bool accepting) {
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

  // ---- serving one connection ----

  void closeConnection(Connection& c, bool reset, bool byPrinter) {
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

  void serve(std::shared_ptr<Connection> c) {
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
        log("incomplete frame dropped after " + std::to_string(kPartialFrameTimeout.count()) +
                " ms",
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
          log("bad frame on " + std::string(toString(c->port)) + " #" + std::to_string(c->id) +
                  ": " + item->reason + ": " + readable(item->bytes),
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

  // Handles one valid frame: 0 keep going, 1 close, 2 reset.
  int handleFrame(Connection& c, const std::string& frame) {
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
    if (plan.delay.count() > 0) std::this_thread::sleep_for(plan.delay);
    std::string out = makeFrame(answer);
    if (plan.lengthSkew != 0) {
      const int announced = std::clamp(static_cast<int>(answer.size()) + plan.lengthSkew, 0, 9999);
      detail::put(out, 1, detail::digits(announced, 4));
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
          if (at > 0) std::this_thread::sleep_for(plan.gap);
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

  // Caller holds mu.
  Plan planFaults(const Connection& c, const std::string& code) {
    Plan plan;
    for (auto& e : faults) {
      const Fault& f = e.fault;
      if (!f.code.empty() && f.code != code) continue;
      if (f.port && *f.port != c.port) continue;
      if (f.connection != 0 && f.connection != c.id) continue;
      ++e.matched;
      if (e.matched <= f.skip) continue;
      if (f.times >= 0 && e.hits >= f.times) continue;
      ++e.hits;
      log("fault " + std::to_string(e.id) + " (" + toString(f.action) + ") on " + code, false);
      switch (f.action) {
        case FaultAction::WrongCode:
          plan.code = f.answerCode;
          break;
        case FaultAction::NoAnswerClose:
          plan.swallow = plan.close = true;
          break;
        case FaultAction::NoAnswer:
          plan.swallow = true;
          break;
        case FaultAction::Reset:
          plan.swallow = plan.reset = true;
          break;
        case FaultAction::Delay:
          plan.delay += f.delay;
          break;
        case FaultAction::Split:
          plan.segments = std::max(f.segments, 2);
          plan.gap = f.delay;
          break;
        case FaultAction::FailureFlag:
          plan.failure = true;
          break;
        case FaultAction::Status:
          plan.status = f.number;
          break;
        case FaultAction::WrongParameter:
          plan.wrongParameter = f.number;
          break;
        case FaultAction::OtherHeader:
          plan.header = f.header;
          break;
        case FaultAction::LengthDigits:
          plan.lengthSkew = f.number;
          break;
        case FaultAction::Truncate:
          plan.truncate = std::max(f.number, 1);
          break;
      }
    }
    return plan;
  }

  static void applyPlan(const Plan& plan, const std::string& code, std::string& answer) {
    if (plan.failure) detail::setFailure(answer, code, 0);
    if (plan.status) detail::setStatus(answer, code, *plan.status);
    if (plan.wrongParameter) {
      detail::put(answer, 11, "1");
      detail::put(answer, 12, detail::digits(*plan.wrongParameter, 3));
    }
    if (plan.header) {
      std::string h = *plan.header;
      h.resize(5, '0');
      detail::put(answer, 0, h);
    }
    if (plan.code) {
      std::string letters = *plan.code;
      letters.resize(3, 'X');
      detail::put(answer, 5, letters);
    }
    if (plan.truncate && answer.size() > static_cast<size_t>(*plan.truncate)) {
      answer.resize(static_cast<size_t>(*plan.truncate));
    }
  }

  // ---- commands (caller holds mu) ----

  std::string header() const {
    std::string h = state.header;
    h.resize(5, '0');
    return h;
  }

  std::string respond(const std::string& code, const std::string& payload) {
    if (detail::answerCode(code).empty()) return {};
    if (code == "PRS" || code == "FES") return startJob(code, payload);
    if (code == "DTI") return rasterFrame(payload);
    if (code == "PSP") return stopJobs(payload);
    if (code == "PTS") return testPrint(payload);
    if (code == "INS" || code == "IDS" || code == "INE") return programTransfer(code, payload);
    if (code != "DTI" && payload.size() != detail::requestLength(code)) {
      std::string a = detail::blankAnswer(header(), code);
      detail::setFailure(a, code, 23);
      log(code + " request of " + std::to_string(payload.size()) + " bytes (expected " +
              std::to_string(detail::requestLength(code)) + ")",
          true);
      return a;
    }
    if (code == "STS") {
      PrinterState shown = state;
      if (labelWaiting) shown.peelSensor = state.peelSensorWithLabel;
      return detail::statusAnswer(shown);
    }
    if (code == "GMS") return detail::gapMarkAnswer(state, payload);
    if (code == "LRS") return detail::distanceAnswer(state, payload);
    if (code == "ADS") return detail::addressAnswer(state, payload);
    if (code == "CDS") return detail::cardAnswer(state, payload);
    if (code == "CPS") return detail::cutPositionAnswer(state, payload);
    if (code == "HCS") return detail::headCheckAnswer(state, payload);
    if (code == "CTS") return detail::cutAnswer(state);
    return detail::simpleAnswer(state, code, payload);
  }

  uint64_t newJob(JobKind kind, const PrintConditions& conditions) {
    // A job whose raster never completed is given up; undelivered reports of older jobs
    // would only confuse the host's next wait.
    for (auto& [id, job] : jobRecords) {
      if (job.state == JobState::Receiving) job.state = JobState::Abandoned;
    }
    outbox.clear();
    JobRecord job;
    job.id = nextJob++;
    job.kind = kind;
    job.conditions = conditions;
    job.framesExpected = (conditions.lengthDots + 4) / 5;
    jobRecords[job.id] = job;
    return job.id;
  }

  void beginIssuing(uint64_t id) {
    jobRecords[id].state = JobState::Issuing;
    issueQueue.push_back(id);
    engineCv.notify_all();
  }

  std::string startJob(const std::string& code, const std::string& payload) {
    std::string a = detail::blankAnswer(header(), code);
    int bad = 0;
    const auto conditions = detail::parseConditions(payload, &bad);
    if (!conditions) {
      detail::setFailure(a, code, 23);
      detail::put(a, 12, detail::digits(bad, 3));
      log(code + " refused: print conditions field " + std::to_string(bad) + " is malformed", true);
      return a;
    }
    const bool feed = code == "FES";
    if (!feed && (state.headOpen || state.errorCode != 0)) {
      const int status = state.headOpen ? 1 : state.errorCode;
      detail::setStatus(a, code, status);
      log("PRS refused with printer error " + std::to_string(status), false);
      return a;
    }
    const uint64_t id = newJob(feed ? JobKind::Feed : JobKind::Print, *conditions);
    if (feed) {
      jobRecords[id].conditions.copies = 1;
      jobRecords[id].framesExpected = 0;
      beginIssuing(id);
    }
    log(std::string(feed ? "feed" : "print") + " job " + std::to_string(id) + ": " +
            std::to_string(conditions->widthDots) + "x" + std::to_string(conditions->lengthDots) +
            " dots, " + std::to_string(feed ? 1 : conditions->copies) + " copies",
        false);
    return a;
  }

  JobRecord* receivingJob() {
    for (auto it = jobRecords.rbegin(); it != jobRecords.rend(); ++it) {
      if (it->second.state == JobState::Receiving) return &it->second;
    }
    return nullptr;
  }

  std::string rasterFrame(const std::string& payload) {
    std::string a = detail::blankAnswer(header(), "DTI");
    auto refuse = [&](const std::string& why) {
      detail::put(a, 9, "1");
      log("DTI refused: " + why, true);
      return a;
    };
    JobRecord* job = receivingJob();
    if (!job) return refuse("no print job is waiting for raster data");
    const auto number = detail::readDigits(payload, 8, 4);
    const int expected = job->framesReceived % 10000;
    if (!number || *number != expected) {
      return refuse("frame number " + payload.substr(8, 4) + ", expected " +
                    detail::digits(expected, 4));
    }
    const size_t data = payload.size() - 12;
    if (payload.size() < 12 + 15 || data % 5 != 0) {
      return refuse("raster of " + std::to_string(data) + " bytes is not five lines");
    }
    const int bpl = static_cast<int>(data / 5) - 2;
    if (job->bytesPerLine != 0 && job->bytesPerLine != bpl) {
      return refuse("line of " + std::to_string(bpl) + " bytes after lines of " +
                    std::to_string(job->bytesPerLine));
    }
    const size_t lineSize = static_cast<size_t>(bpl) + 2;
    for (size_t i = 0; i < 5; ++i) {
      if (payload.compare(12 + i * lineSize, 2, "00") != 0) {
        return refuse("raster line without its \"00\" prefix");
      }
    }
    job->bytesPerLine = bpl;
    for (size_t i = 0; i < 5; ++i) {
      const char* line = payload.data() + 12 + i * lineSize + 2;
      job->lines.emplace_back(reinterpret_cast<const uint8_t*>(line),
                              reinterpret_cast<const uint8_t*>(line) + bpl);
    }
    ++job->framesReceived;
    if (job->framesReceived == job->framesExpected) {
      jobLabels[job->id] = detail::renderLabel(
          job->lines, job->bytesPerLine, job->conditions.widthDots, job->conditions.lengthDots);
      log("job " + std::to_string(job->id) + ": raster complete, issuing", false);
      beginIssuing(job->id);
    }
    return a;
  }

  std::string testPrint(const std::string& payload) {
    std::string a = detail::blankAnswer(header(), "PTS");
    const auto pattern = detail::readDigits(payload, 8, 1);
    const auto position = detail::readDigits(payload, 9, 1);
    const auto form = detail::readDigits(payload, 10, 1);
    const auto count = detail::readDigits(payload, 11, 4);
    if (payload.size() != 15 || !pattern || *pattern > 6 || !position || *position > 3 || !form ||
        *form > 2 || !count || *count == 0) {
      detail::setFailure(a, "PTS", 23);
      log("PTS refused: malformed test print request", true);
      return a;
    }
    if (state.headOpen || state.errorCode != 0) {
      detail::setFailure(a, "PTS", state.headOpen ? 1 : state.errorCode);
      return a;
    }
    PrintConditions c;
    c.widthDots = kHeadDots;
    c.lengthDots = kTestLabelDots;
    c.copies = *count;
    const uint64_t id = newJob(JobKind::TestPrint, c);
    testForms[id] = *form;
    jobLabels[id] = detail::testPattern(*pattern, *position, kHeadDots, kTestLabelDots);
    jobRecords[id].framesExpected = 0;
    beginIssuing(id);
    log("test print job " + std::to_string(id) + ": pattern " + std::to_string(*pattern) +
            ", form " + std::to_string(*form) + ", " + std::to_string(*count) + " labels",
        false);
    return a;
  }

  void queueReport(JobRecord& job, int error, int remaining) {
    FinishReport r;
    r.job = job.id;
    r.error = error;
    r.remaining = remaining;
    job.endError = error;
    outbox.push_back(OutgoingReport{r});
    engineCv.notify_all();
  }

  std::string stopJobs(const std::string& payload) {
    std::string a = detail::blankAnswer(header(), "PSP");
    if (payload.size() != 8) {
      detail::setFailure(a, "PSP", 0);
      return a;
    }
    JobRecord* reported = nullptr;
    for (auto& [id, job] : jobRecords) {
      if (isEnded(job.state)) continue;
      if (!reported || job.state == JobState::Issuing) reported = &job;
    }
    for (auto& [id, job] : jobRecords) {
      if (!isEnded(job.state)) job.state = JobState::Stopped;
    }
    issueQueue.clear();
    nextIssueAt.reset();
    if (reported) {
      const int remaining = std::max(reported->conditions.copies - reported->copiesIssued, 0);
      queueReport(*reported, state.stopReportError, remaining);
      log("job " + std::to_string(reported->id) + " stopped by PSP", false);
    }
    return a;
  }

  std::string programTransfer(const std::string& code, const std::string& payload) {
    std::string a = detail::blankAnswer(header(), code);
    if (payload.size() != detail::requestLength(code)) {
      detail::setFailure(a, code, 23);
      return a;
    }
    if (code == "INS") {
      programRecord = ProgramRecord{};
      programRecord.started = true;
      programBroken = false;
      return a;
    }
    if (code == "IDS") {
      const auto number = detail::readDigits(payload, 8, 4);
      if (!programRecord.started || programRecord.complete || !number ||
          *number != programRecord.blocks % 10000) {
        programBroken = true;
        detail::setFailure(a, code, 0);
        log("IDS block " + payload.substr(8, 4) + " out of sequence", true);
        return a;
      }
      programRecord.data.insert(programRecord.data.end(), payload.begin() + 12, payload.end());
      ++programRecord.blocks;
      return a;
    }
    if (!programRecord.started || programBroken || programRecord.complete) {
      detail::setFailure(a, code, 0);
      return a;
    }
    programRecord.complete = true;
    log("program received: " + std::to_string(programRecord.blocks) + " blocks", false);
    return a;
  }

  // ---- issuing (engine thread) ----

  std::shared_ptr<Connection> newestFinishConnection() {
    for (auto it = connections.rbegin(); it != connections.rend(); ++it) {
      const auto& c = *it;
      if (c->port != Port::Finish || c->done || c->peerGone) continue;
      if (auto* r = connectionRecord(c->id); r && r->open) return c;
    }
    return nullptr;
  }

  JobRecord* issuingJob() {
    while (!issueQueue.empty()) {
      auto it = jobRecords.find(issueQueue.front());
      if (it != jobRecords.end() && it->second.state == JobState::Issuing) return &it->second;
      issueQueue.pop_front();
      nextIssueAt.reset();
    }
    return nullptr;
  }

  Millis copyTime(const JobRecord& job) const {
    if (job.kind == JobKind::TestPrint) {
      const int form = testForms.count(job.id) ? testForms.at(job.id) : 0;
      if (form > 0) {
        const auto ms = static_cast<int64_t>(form * 1000 * options.timeScale);
        return Millis(std::max<int64_t>(ms, 20));  // continuous issue never floods
      }
    }
    int speed = state.printSpeed;
    if (speed <= 0)
      speed = job.conditions.condition1 >= 30 && job.conditions.condition1 <= 300
                  ? job.conditions.condition1
                  : 100;
    const double mm = (job.conditions.lengthDots + job.conditions.gapDots) / 12.0;
    return Millis(static_cast<int64_t>(mm / speed * 1000.0 * options.timeScale));
  }

  void endJob(JobRecord& job, int error, int remaining) {
    job.state =
        error == 999 || error == state.stopReportError ? JobState::Stopped : JobState::Failed;
    queueReport(job, error, remaining);
    log("job " + std::to_string(job.id) + " ends with printer error " + std::to_string(error),
        false);
    nextIssueAt.reset();
  }

  // One copy of the job comes out. Caller holds mu.
  void issueCopy(JobRecord& job) {
    nextIssueAt.reset();
    ++job.copiesIssued;
    const bool continuous = job.kind == JobKind::TestPrint && testForms[job.id] > 0;
    if (auto it = jobLabels.find(job.id); it != jobLabels.end()) {
      PrintedLabel label = it->second;
      label.job = job.id;
      label.copy = job.copiesIssued;
      label.kind = job.kind;
      if (!options.outputDir.empty()) {
        char name[64];
        std::snprintf(name, sizeof name, "label-%04llu-%04d.png",
                      static_cast<unsigned long long>(job.id), job.copiesIssued);
        const std::string path = (std::filesystem::path(options.outputDir) / name).string();
        if (detail::writePng(path, label)) {
          label.file = path;
        } else {
          log("cannot write " + path, true);
        }
      }
      labelRecords.push_back(std::move(label));
      if (labelRecords.size() > kMaxStoredLabels) labelRecords.pop_front();
    }
    // The label and the printer body travel the label and its gap.
    travelRemainderDots +=
        static_cast<uint64_t>(job.conditions.lengthDots + job.conditions.gapDots);
    const uint64_t mm = travelRemainderDots / 12;
    travelRemainderDots %= 12;
    state.labelTravelMm += mm;
    state.bodyTravelMm += mm;
    if (job.conditions.settings.size() > 140 && job.conditions.settings[140] == '1')
      ++state.cutCount;
    if (job.conditions.autoPeel) labelWaiting = true;
    const int remaining = continuous ? 1 : std::max(job.conditions.copies - job.copiesIssued, 0);
    queueReport(job, 0, remaining);
    if (remaining == 0) {
      job.state = JobState::Finished;
      log("job " + std::to_string(job.id) + " finished", false);
    }
    notify();
  }

  void deliver(OutgoingReport item, const std::shared_ptr<Connection>& c) {
    FinishReport report = item.report;
    FinishReportHook h;
    std::string hdr;
    {
      std::lock_guard<std::mutex> lk(mu);
      h = hook;
      hdr = header();
    }
    bool send = true;
    if (h) send = h(report);
    std::string frame;
    bool ok = false;
    bool connectionGone = false;
    if (send) {
      std::string p =
          hdr + "PRE0" + detail::digits(report.error, 3) + detail::digits(report.remaining, 4);
      frame = makeFrame(p);
      std::lock_guard<std::mutex> wl(c->writeMu);
      // A connection the host has just closed may still look open here; the report then
      // waits for the host's next finish connection instead of being lost.
      if (c->fd < 0 || peerEnded(c->fd)) {
        connectionGone = true;
      } else {
        ok = detail::sendAll(c->fd, frame);
      }
    }
    std::lock_guard<std::mutex> lk(mu);
    if (connectionGone) {
      c->peerGone = true;
      outbox.push_front(item);
      engineCv.notify_all();
      return;
    }
    report.delivered = ok;
    report.connection = ok ? c->id : 0;
    if (ok) recordFrame(*c, false, true, frame);
    if (send && !ok) log("finish report could not be sent", true);
    reportRecords.push_back(report);
    if (auto it = jobRecords.find(report.job); it != jobRecords.end()) {
      it->second.reports.push_back(report);
    }
    notify();
  }

  void engineLoop() {
    std::unique_lock<std::mutex> lk(mu);
    for (;;) {
      if (stopping) return;
      if (!outbox.empty()) {
        if (auto c = newestFinishConnection()) {
          OutgoingReport item = outbox.front();
          outbox.pop_front();
          lk.unlock();
          deliver(item, c);
          lk.lock();
          continue;
        }
      }
      JobRecord* job = issuingJob();
      if (job) {
        const int remaining = std::max(job->conditions.copies - job->copiesIssued, 0);
        if (pendingError && job->copiesIssued >= pendingError->afterCopies) {
          const int number = pendingError->number;
          pendingError.reset();
          endJob(*job, number, remaining);
          notify();
          continue;
        }
        if (state.headOpen) {
          endJob(*job, 1, remaining);
          notify();
          continue;
        }
        if (!hold && !labelWaiting) {
          const auto now = Clock::now();
          if (!nextIssueAt) nextIssueAt = now + copyTime(*job);
          if (now >= *nextIssueAt) {
            issueCopy(*job);
            continue;
          }
          const auto until = *nextIssueAt;
          engineCv.wait_until(lk, until);
          continue;
        }
      }
      engineCv.wait(lk);
    }
  }

  // ---- discovery ----

  void discoveryLoop() {
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
        const std::string sender = detail::dotted(ntohl(from.sin_addr.s_addr)) + ":" +
                                   std::to_string(ntohs(from.sin_port));
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

  // ---- waiting ----

  bool waitFor(const std::function<bool()>& condition, Millis timeout) const {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      uint64_t seen;
      {
        std::lock_guard<std::mutex> lk(eventMu);
        seen = eventSeq;
      }
      if (condition()) return true;
      std::unique_lock<std::mutex> lk(eventMu);
      if (!eventCv.wait_until(lk, deadline, [&] { return eventSeq != seen; })) {
        lk.unlock();
        return condition();
      }
    }
  }
};

// ---- Simulator ----

Simulator::Simulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Simulator::~Simulator() {
  stop();
}

void Simulator::start() {
  impl_->start();
}
void Simulator::stop() {
  impl_->stop();
}

bool Simulator::running() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->started;
}

std::string Simulator::address() const {
  return detail::dotted(addressValue());
}

uint32_t Simulator::addressValue() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->ip;
}

uint16_t Simulator::commandPort() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->listeners[0].number;
}

uint16_t Simulator::finishPort() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->listeners[1].number;
}

uint16_t Simulator::discoveryPort() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->udpPort;
}

PrinterState Simulator::state() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->state;
}

void Simulator::setState(const PrinterState& state) {
  updateState([&](PrinterState& s) { s = state; });
}

void Simulator::updateState(const std::function<void(PrinterState&)>& f) {
  {
    std::lock_guard<std::mutex> lk(impl_->mu);
    f(impl_->state);
    impl_->engineCv.notify_all();
  }
  impl_->notify();
}

void Simulator::setModelHeader(const std::string& header) {
  updateState([&](PrinterState& s) { s.header = header; });
}

void Simulator::setVersions(int controller, int bios, int program, int deviceController) {
  updateState([&](PrinterState& s) {
    s.controllerVersion = controller;
    s.biosVersion = bios;
    s.programVersion = program;
    s.deviceControllerVersion = deviceController;
  });
}

void Simulator::setSensors(int gap, int mark, int peel, int ribbon, int cutDoor) {
  updateState([&](PrinterState& s) {
    s.gapSensor = gap;
    s.markSensor = mark;
    s.peelSensor = peel;
    s.ribbonSensor = ribbon;
    s.cutDoorSensor = cutDoor;
  });
}

void Simulator::setHeadRank(int rank) {
  updateState([&](PrinterState& s) { s.headRank = rank; });
}

void Simulator::setHeadOpen(bool open) {
  updateState([&](PrinterState& s) { s.headOpen = open; });
}

void Simulator::setErrorCode(int code) {
  updateState([&](PrinterState& s) { s.errorCode = code; });
}

void Simulator::setStatusFailure(bool failed) {
  updateState([&](PrinterState& s) { s.statusFailure = failed; });
}

void Simulator::setPaperStopPosition(int position) {
  updateState([&](PrinterState& s) { s.paperStopPosition = position; });
}

void Simulator::setTemperatures(int headTenths, int ambientTenths) {
  updateState([&](PrinterState& s) {
    s.headTemperature = headTenths;
    s.ambientTemperature = ambientTenths;
  });
}

void Simulator::setTravel(int warningKm, uint64_t labelMm, uint64_t bodyMm) {
  updateState([&](PrinterState& s) {
    s.warningDistanceKm = warningKm;
    s.labelTravelMm = labelMm;
    s.bodyTravelMm = bodyMm;
  });
}

void Simulator::setGapMark(bool markDetection, bool gapManual, int gapReference, int gapResistance,
                           bool markManual, int markReference, int markResistance) {
  updateState([&](PrinterState& s) {
    s.markDetection = markDetection;
    s.gapManual = gapManual;
    s.gapReference = gapReference;
    s.gapResistance = gapResistance;
    s.markManual = markManual;
    s.markReference = markReference;
    s.markResistance = markResistance;
  });
}

void Simulator::setAddresses(const std::string& mac, uint32_t ip, uint32_t mask, uint32_t gateway) {
  updateState([&](PrinterState& s) {
    s.mac = mac;
    s.ip = ip;
    s.mask = mask;
    s.gateway = gateway;
  });
}

void Simulator::setCard(int number, const MemoryCard& card) {
  if (number < 0 || number > 9) return;
  updateState([&](PrinterState& s) { s.cards[static_cast<size_t>(number)] = card; });
}

void Simulator::setCutPosition(int dots, uint32_t count) {
  updateState([&](PrinterState& s) {
    s.cutPositionDots = dots;
    s.cutCount = count;
  });
}

void Simulator::setCutError(int number) {
  updateState([&](PrinterState& s) { s.cutError = number; });
}

void Simulator::setBrokenDots(std::vector<int> dots) {
  updateState([&](PrinterState& s) { s.brokenDots = std::move(dots); });
}

void Simulator::setPrintSpeed(int mmPerSecond) {
  updateState([&](PrinterState& s) { s.printSpeed = mmPerSecond; });
}

void Simulator::setStopReportError(int error) {
  updateState([&](PrinterState& s) { s.stopReportError = error; });
}

void Simulator::setDiscoveryIdentity(int machineNumber, const std::string& modelText) {
  updateState([&](PrinterState& s) {
    s.machineNumber = machineNumber;
    s.modelText = modelText;
  });
}

int Simulator::addFault(const Fault& fault) {
  std::lock_guard<std::mutex> lk(impl_->mu);
  FaultEntry e;
  e.id = impl_->nextFault++;
  e.fault = fault;
  impl_->faults.push_back(e);
  return e.id;
}

void Simulator::removeFault(int id) {
  std::lock_guard<std::mutex> lk(impl_->mu);
  auto& f = impl_->faults;
  f.erase(std::remove_if(f.begin(), f.end(), [&](const FaultEntry& e) { return e.id == id; }),
          f.end());
}

void Simulator::clearFaults() {
  std::lock_guard<std::mutex> lk(impl_->mu);
  impl_->faults.clear();
}

int Simulator::faultHits(int id) const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  for (const auto& e : impl_->faults) {
    if (e.id == id) return e.hits;
  }
  return 0;
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

void Simulator::raiseJobError(int number, int afterCopies) {
  {
    std::lock_guard<std::mutex> lk(impl_->mu);
    impl_->pendingError = Impl::PendingError{number, std::max(afterCopies, 0)};
    impl_->log("printer error " + std::to_string(number) + " armed after " +
                   std::to_string(afterCopies) + " copies",
               false);
    impl_->engineCv.notify_all();
  }
  impl_->notify();
}

void Simulator::stopFromPrinter() {
  raiseJobError(999, 0);
}

void Simulator::setIssueHold(bool hold) {
  std::lock_guard<std::mutex> lk(impl_->mu);
  impl_->hold = hold;
  impl_->engineCv.notify_all();
}

void Simulator::takeLabel() {
  {
    std::lock_guard<std::mutex> lk(impl_->mu);
    impl_->labelWaiting = false;
    impl_->engineCv.notify_all();
  }
  impl_->notify();
}

bool Simulator::labelAtPeeler() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->labelWaiting;
}

std::vector<FrameRecord> Simulator::frames() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->frameRecords;
}

std::vector<FrameRecord> Simulator::receivedFrames(std::string_view code) const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  std::vector<FrameRecord> out;
  for (const auto& f : impl_->frameRecords) {
    if (f.received && f.valid && (code.empty() || f.code() == code)) out.push_back(f);
  }
  return out;
}

std::vector<FrameRecord> Simulator::sentFrames(std::string_view code) const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  std::vector<FrameRecord> out;
  for (const auto& f : impl_->frameRecords) {
    if (!f.received && (code.empty() || f.code() == code)) out.push_back(f);
  }
  return out;
}

std::vector<ConnectionRecord> Simulator::connections() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->connectionRecords;
}

std::vector<JobRecord> Simulator::jobs() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  std::vector<JobRecord> out;
  for (const auto& [id, job] : impl_->jobRecords) out.push_back(job);
  return out;
}

std::optional<JobRecord> Simulator::lastJob() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  if (impl_->jobRecords.empty()) return std::nullopt;
  return impl_->jobRecords.rbegin()->second;
}

std::vector<PrintedLabel> Simulator::labels() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return {impl_->labelRecords.begin(), impl_->labelRecords.end()};
}

std::vector<FinishReport> Simulator::finishReports() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->reportRecords;
}

ProgramRecord Simulator::program() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->programRecord;
}

std::vector<std::string> Simulator::logLines() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return {impl_->logRecords.begin(), impl_->logRecords.end()};
}

void Simulator::clearRecords() {
  std::lock_guard<std::mutex> lk(impl_->mu);
  auto& im = *impl_;
  im.frameRecords.clear();
  im.connectionRecords.erase(
      std::remove_if(im.connectionRecords.begin(), im.connectionRecords.end(),
                     [](const ConnectionRecord& r) { return !r.open; }),
      im.connectionRecords.end());
  for (auto it = im.jobRecords.begin(); it != im.jobRecords.end();) {
    if (isEnded(it->second.state)) {
      im.jobLabels.erase(it->first);
      im.testForms.erase(it->first);
      it = im.jobRecords.erase(it);
    } else {
      ++it;
    }
  }
  im.labelRecords.clear();
  im.reportRecords.clear();
  im.logRecords.clear();
}

void Simulator::setFinishReportHook(FinishReportHook hook) {
  std::lock_guard<std::mutex> lk(impl_->mu);
  impl_->hook = std::move(hook);
}

bool Simulator::waitFor(const std::function<bool()>& condition, Millis timeout) const {
  return impl_->waitFor(condition, timeout);
}

bool Simulator::waitForFrames(std::string_view code, size_t count, Millis timeout) const {
  const std::string c(code);
  return waitFor([&] { return receivedFrames(c).size() >= count; }, timeout);
}

bool Simulator::waitForLabels(size_t count, Millis timeout) const {
  return waitFor([&] { return labels().size() >= count; }, timeout);
}

bool Simulator::waitForReports(size_t count, Millis timeout) const {
  return waitFor([&] { return finishReports().size() >= count; }, timeout);
}

bool Simulator::waitForJobEnd(Millis timeout) const {
  return waitFor(
      [&] {
        std::lock_guard<std::mutex> lk(impl_->mu);
        if (impl_->jobRecords.empty()) return false;
        const auto& job = impl_->jobRecords.rbegin()->second;
        // Ended, and its reports are out (or have nowhere to go).
        return isEnded(job.state) && (impl_->outbox.empty() || !impl_->newestFinishConnection());
      },
      timeout);
}

bool Simulator::waitForJobState(JobState state, Millis timeout) const {
  return waitFor(
      [&] {
        auto job = lastJob();
        return job && job->state == state;
      },
      timeout);
}

bool Simulator::waitForLabelAtPeeler(Millis timeout) const {
  return waitFor([&] { return labelAtPeeler(); }, timeout);
}

bool Simulator::waitForConnections(Port port, size_t count, Millis timeout) const {
  return waitFor(
      [&] {
        const auto all = connections();
        return static_cast<size_t>(std::count_if(
                   all.begin(), all.end(),
                   [&](const ConnectionRecord& r) { return r.port == port; })) >= count;
      },
      timeout);
}

bool Simulator::waitForNoOpenConnections(Millis timeout) const {
  return waitFor(
      [&] {
        const auto all = connections();
        return std::none_of(all.begin(), all.end(),
                            [](const ConnectionRecord& r) { return r.open; });
      },
      timeout);
}

}  // namespace ktsim
