// Serves the remote control: every request calls the in-process simulator and answers
// with its result. One thread per connection, so a long wait on one connection never
// holds up a call on another.
#include "remote_server.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>

#include "ktsim/simulator.h"
#include "ktsim/socket.h"
#include "remote_codec.h"
#include "remote_protocol.h"

namespace ktsim::remote {

namespace {

// Decodes a handler's arguments from its parameter types, calls it, encodes its result.
template <class F>
struct Handler : Handler<decltype(&F::operator())> {};
template <class C, class R, class... A>
struct Handler<R (C::*)(A...) const> {
  template <class F>
  static void run(const F& f, Reader& in, Writer& out) {
    std::tuple<std::decay_t<A>...> args;
    std::apply([&](auto&... a) { in(a...); }, args);
    in.finish();
    if constexpr (std::is_void_v<R>) {
      std::apply(f, args);
    } else {
      out(std::apply(f, args));
    }
  }
};

template <class F>
void run(Reader& in, Writer& out, const F& f) {
  Handler<F>::run(f, in, out);
}

class Server {
 public:
  int serve(uint32_t ip, uint16_t port);

 private:
  void serveConnection(Socket socket, bool owner);
  // Runs one call; false when the connection has become the hook channel.
  bool dispatch(Op op, Reader& in, Writer& out);
  Simulator& sim();
  bool callHook(FinishReport& report);

  std::mutex mu_;
  std::unique_ptr<Simulator> sim_;
  std::mutex hookMu_;
  Socket hook_;
};

Simulator& Server::sim() {
  std::lock_guard<std::mutex> lk(mu_);
  if (!sim_) throw std::runtime_error("ktsim remote: no simulator created yet");
  return *sim_;
}

bool Server::callHook(FinishReport& report) {
  std::lock_guard<std::mutex> lk(hookMu_);
  if (!hook_.valid()) return true;
  Writer request;
  request(report);
  if (sendMessage(hook_, request.bytes())) {
    if (auto answer =
            receiveMessage(hook_, static_cast<int>(kHookAnswerWait.count()), kMaxRequest)) {
      try {
        Reader in(*answer);
        FinishReport changed;
        bool send = true;
        in(changed, send);
        in.finish();
        report = changed;
        return send;
      } catch (const CodecError&) {
      }
    }
  }
  std::fprintf(stderr,
               "kt3600r-sim: the finish-report hook did not answer; reports go out unchanged\n");
  hook_.close();
  return true;
}

bool Server::dispatch(Op op, Reader& in, Writer& out) {
  switch (op) {
    case Op::Create:
      run(in, out, [&](const Options& options) {
        std::lock_guard<std::mutex> lk(mu_);
        if (sim_) throw std::runtime_error("ktsim remote: simulator already created");
        sim_ = std::make_unique<Simulator>(options);
      });
      break;
    case Op::Start:
      run(in, out, [&] { sim().start(); });
      break;
    case Op::Stop:
      run(in, out, [&] { sim().stop(); });
      break;
    case Op::Running:
      run(in, out, [&] { return sim().running(); });
      break;
    case Op::Address:
      run(in, out, [&] { return sim().address(); });
      break;
    case Op::AddressValue:
      run(in, out, [&] { return sim().addressValue(); });
      break;
    case Op::CommandPort:
      run(in, out, [&] { return sim().commandPort(); });
      break;
    case Op::FinishPort:
      run(in, out, [&] { return sim().finishPort(); });
      break;
    case Op::DiscoveryPort:
      run(in, out, [&] { return sim().discoveryPort(); });
      break;
    case Op::GetState:
      run(in, out, [&] { return sim().state(); });
      break;
    case Op::SetState:
      run(in, out, [&](const PrinterState& s) { sim().setState(s); });
      break;
    case Op::SetModelHeader:
      run(in, out, [&](const std::string& h) { sim().setModelHeader(h); });
      break;
    case Op::SetVersions:
      run(in, out, [&](int c, int b, int p, int d) { sim().setVersions(c, b, p, d); });
      break;
    case Op::SetSensors:
      run(in, out, [&](int g, int m, int p, int r, int c) { sim().setSensors(g, m, p, r, c); });
      break;
    case Op::SetHeadRank:
      run(in, out, [&](int rank) { sim().setHeadRank(rank); });
      break;
    case Op::SetHeadOpen:
      run(in, out, [&](bool open) { sim().setHeadOpen(open); });
      break;
    case Op::SetErrorCode:
      run(in, out, [&](int code) { sim().setErrorCode(code); });
      break;
    case Op::SetStatusFailure:
      run(in, out, [&](bool failed) { sim().setStatusFailure(failed); });
      break;
    case Op::SetPaperStopPosition:
      run(in, out, [&](int position) { sim().setPaperStopPosition(position); });
      break;
    case Op::SetTemperatures:
      run(in, out, [&](int head, int ambient) { sim().setTemperatures(head, ambient); });
      break;
    case Op::SetTravel:
      run(in, out,
          [&](int km, uint64_t label, uint64_t body) { sim().setTravel(km, label, body); });
      break;
    case Op::SetGapMark:
      run(in, out,
          [&](bool mark, bool gapManual, int gapRef, int gapRes, bool markManual, int markRef,
              int markRes) {
            sim().setGapMark(mark, gapManual, gapRef, gapRes, markManual, markRef, markRes);
          });
      break;
    case Op::SetAddresses:
      run(in, out, [&](const std::string& mac, uint32_t ip, uint32_t mask, uint32_t gateway) {
        sim().setAddresses(mac, ip, mask, gateway);
      });
      break;
    case Op::SetCard:
      run(in, out, [&](int number, const MemoryCard& card) { sim().setCard(number, card); });
      break;
    case Op::SetCutPosition:
      run(in, out, [&](int dots, uint32_t count) { sim().setCutPosition(dots, count); });
      break;
    case Op::SetCutError:
      run(in, out, [&](int number) { sim().setCutError(number); });
      break;
    case Op::SetBrokenDots:
      run(in, out, [&](const std::vector<int>& dots) { sim().setBrokenDots(dots); });
      break;
    case Op::SetPrintSpeed:
      run(in, out, [&](int speed) { sim().setPrintSpeed(speed); });
      break;
    case Op::SetStopReportError:
      run(in, out, [&](int error) { sim().setStopReportError(error); });
      break;
    case Op::SetDiscoveryIdentity:
      run(in, out, [&](int machine, const std::string& model) {
        sim().setDiscoveryIdentity(machine, model);
      });
      break;
    case Op::AddFault:
      run(in, out, [&](const Fault& fault) { return sim().addFault(fault); });
      break;
    case Op::RemoveFault:
      run(in, out, [&](int id) { sim().removeFault(id); });
      break;
    case Op::ClearFaults:
      run(in, out, [&] { sim().clearFaults(); });
      break;
    case Op::FaultHits:
      run(in, out, [&](int id) { return sim().faultHits(id); });
      break;
    case Op::SetAccepting:
      run(in, out, [&](Port port, bool accepting) { sim().setAccepting(port, accepting); });
      break;
    case Op::SetAcceptingBoth:
      run(in, out, [&](bool accepting) { sim().setAccepting(accepting); });
      break;
    case Op::CloseConnections:
      run(in, out, [&] { sim().closeConnections(); });
      break;
    case Op::RaiseJobError:
      run(in, out, [&](int number, int afterCopies) { sim().raiseJobError(number, afterCopies); });
      break;
    case Op::StopFromPrinter:
      run(in, out, [&] { sim().stopFromPrinter(); });
      break;
    case Op::SetIssueHold:
      run(in, out, [&](bool hold) { sim().setIssueHold(hold); });
      break;
    case Op::TakeLabel:
      run(in, out, [&] { sim().takeLabel(); });
      break;
    case Op::LabelAtPeeler:
      run(in, out, [&] { return sim().labelAtPeeler(); });
      break;
    case Op::Frames:
      run(in, out, [&] { return sim().frames(); });
      break;
    case Op::ReceivedFrames:
      run(in, out, [&](const std::string& code) { return sim().receivedFrames(code); });
      break;
    case Op::SentFrames:
      run(in, out, [&](const std::string& code) { return sim().sentFrames(code); });
      break;
    case Op::Connections:
      run(in, out, [&] { return sim().connections(); });
      break;
    case Op::Jobs:
      run(in, out, [&] { return sim().jobs(); });
      break;
    case Op::LastJob:
      run(in, out, [&] { return sim().lastJob(); });
      break;
    case Op::Labels:
      run(in, out, [&] { return sim().labels(); });
      break;
    case Op::FinishReports:
      run(in, out, [&] { return sim().finishReports(); });
      break;
    case Op::Program:
      run(in, out, [&] { return sim().program(); });
      break;
    case Op::LogLines:
      run(in, out, [&] { return sim().logLines(); });
      break;
    case Op::ClearRecords:
      run(in, out, [&] { sim().clearRecords(); });
      break;
    case Op::SetHook:
      run(in, out, [&](bool on) {
        if (on) {
          sim().setFinishReportHook([this](FinishReport& r) { return callHook(r); });
        } else {
          sim().setFinishReportHook(nullptr);
        }
      });
      break;
    case Op::WaitEvent:
      run(in, out, [&](Millis slice) {
        // Returns at the first event after this call began (or when the slice is over);
        // the caller then looks at what changed.
        bool first = true;
        sim().waitFor([&] { return !std::exchange(first, false); },
                      std::clamp(slice, Millis(0), Millis(1000)));
      });
      break;
    case Op::WaitForFrames:
      run(in, out, [&](const std::string& code, uint64_t count, Millis timeout) {
        return sim().waitForFrames(code, static_cast<size_t>(count), timeout);
      });
      break;
    case Op::WaitForLabels:
      run(in, out, [&](uint64_t count, Millis timeout) {
        return sim().waitForLabels(static_cast<size_t>(count), timeout);
      });
      break;
    case Op::WaitForReports:
      run(in, out, [&](uint64_t count, Millis timeout) {
        return sim().waitForReports(static_cast<size_t>(count), timeout);
      });
      break;
    case Op::WaitForJobEnd:
      run(in, out, [&](Millis timeout) { return sim().waitForJobEnd(timeout); });
      break;
    case Op::WaitForJobState:
      run(in, out,
          [&](JobState state, Millis timeout) { return sim().waitForJobState(state, timeout); });
      break;
    case Op::WaitForLabelAtPeeler:
      run(in, out, [&](Millis timeout) { return sim().waitForLabelAtPeeler(timeout); });
      break;
    case Op::WaitForConnections:
      run(in, out, [&](Port port, uint64_t count, Millis timeout) {
        return sim().waitForConnections(port, static_cast<size_t>(count), timeout);
      });
      break;
    case Op::WaitForNoOpenConnections:
      run(in, out, [&](Millis timeout) { return sim().waitForNoOpenConnections(timeout); });
      break;
    case Op::Callback:
      in.finish();
      return false;
    case Op::Count_:
      throw CodecError("unknown call");
  }
  return true;
}

void Server::serveConnection(Socket socket, bool owner) {
  for (;;) {
    const auto request = receiveMessage(socket, -1, kMaxRequest);
    if (!request) break;
    Writer answer;
    bool keep = true;
    try {
      Reader in(*request);
      Op op{};
      in(op);
      Writer result;
      keep = dispatch(op, in, result);
      answer(Status::Ok);
      answer.append(result.bytes());
    } catch (const std::exception& e) {
      answer = Writer();
      answer(Status::Error, std::string(e.what()));
    }
    if (!sendMessage(socket, answer.bytes())) break;
    if (!keep) {
      std::lock_guard<std::mutex> lk(hookMu_);
      hook_ = std::move(socket);
      return;
    }
  }
  if (owner) {
    // The test that owns this printer is gone: stop it and leave.
    {
      std::lock_guard<std::mutex> lk(mu_);
      if (sim_) sim_->stop();
    }
    std::fflush(nullptr);
    std::_Exit(0);
  }
}

int Server::serve(uint32_t ip, uint16_t port) {
  Socket listener = Socket::listenOn(ip, port, 16);
  if (!listener.valid()) {
    std::fprintf(stderr, "kt3600r-sim: cannot listen for control connections on port %u\n", port);
    return 1;
  }
  Socket owner = listener.accept(static_cast<int>(kFirstConnectionWait.count()));
  if (!owner.valid()) {
    std::fprintf(stderr, "kt3600r-sim: no control connection came; exiting\n");
    return 0;
  }
  std::thread([this, l = std::move(listener)]() mutable {
    for (;;) {
      Socket c = l.accept(-1);
      if (!c.valid()) {
        std::this_thread::sleep_for(Millis(10));
        continue;
      }
      std::thread([this, c = std::move(c)]() mutable {
        serveConnection(std::move(c), false);
      }).detach();
    }
  }).detach();
  serveConnection(std::move(owner), true);
  return 0;
}

}  // namespace

int serveControl(const std::string& addressAndPort) {
  const size_t colon = addressAndPort.rfind(':');
  const auto ip = parseIpv4(addressAndPort.substr(0, colon == std::string::npos ? 0 : colon));
  int port = 0;
  if (colon != std::string::npos) {
    try {
      port = std::stoi(addressAndPort.substr(colon + 1));
    } catch (const std::exception&) {
      port = 0;
    }
  }
  if (!ip || port <= 0 || port > 65535) {
    std::fprintf(stderr, "kt3600r-sim: --control needs ADDRESS:PORT, not '%s'\n",
                 addressAndPort.c_str());
    return 1;
  }
  // The server lives until the process exits (its threads are detached).
  static Server server;
  return server.serve(*ip, static_cast<uint16_t>(port));
}

}  // namespace ktsim::remote
