// ktsim::Simulator as a client of a native simulator process (remote_protocol.h): the
// build of the simulator for test programs that cannot host it themselves (Windows
// programs under wine). Every call goes to `kt3600r-sim --control`, started by the
// constructor; each calling thread borrows a connection of its own, so a finish-report
// hook or another thread never waits behind a long wait.
#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "deadline.h"
#include "ktsim/simulator.h"
#include "ktsim/socket.h"
#include "remote_codec.h"
#include "remote_host.h"
#include "remote_protocol.h"

namespace ktsim {

using remote::Op;
using remote::Reader;
using remote::Writer;

namespace {

constexpr uint32_t kLoopback = 0x7F000001u;
// How long the native simulator may take to start listening for its control.
constexpr Millis kStartWait{5000};
// An answer that takes longer than this (beyond a wait's own time-out) means the
// simulator is stuck.
constexpr Millis kAnswerWait{60000};
// Longest wait for one simulator event inside waitFor(): an event missed between two
// looks costs at most this.
constexpr Millis kEventSlice{20};

// A free loopback port for the control connection (taken by the simulator right after).
uint16_t freeControlPort() {
  Socket probe = Socket::listenOn(kLoopback, 0, 1);
  return probe.valid() ? probe.localPort() : 0;
}

}  // namespace

struct Simulator::Impl {
  explicit Impl(Options o) : options(std::move(o)) {}

  Options options;
  uint16_t controlPort = 0;
  remote::ChildProcess process;

  std::mutex poolMu;
  std::vector<Socket> idle;  // the first one opened owns the simulator process

  std::mutex hookMu;
  FinishReportHook hook;
  Socket hookChannel;
  std::thread hookThread;

  void launch();
  void shutdown();
  Socket connect() const;
  Socket borrow();
  void giveBack(Socket socket);
  void serveHook();

  // One call: sends the request, reads the answer, throws the simulator's error.
  template <class R, class... A>
  R callWithin(Millis limit, Op op, const A&... args) {
    Writer request;
    request(op, args...);
    Socket socket = borrow();
    std::optional<std::string> answer;
    if (remote::sendMessage(socket, request.bytes())) {
      const Millis wait = std::min(detail::addedWaits(limit, kAnswerWait), Millis(INT32_MAX));
      answer = remote::receiveMessage(socket, static_cast<int>(wait.count()));
    }
    if (!answer) throw std::runtime_error("ktsim: the native simulator stopped answering");
    giveBack(std::move(socket));
    Reader in(*answer);
    remote::Status status{};
    in(status);
    if (status == remote::Status::Error) {
      std::string message;
      in(message);
      throw std::runtime_error(message);
    }
    if constexpr (std::is_void_v<R>) {
      in.finish();
    } else {
      R result{};
      in(result);
      in.finish();
      return result;
    }
  }
  template <class R, class... A>
  R call(Op op, const A&... args) {
    return callWithin<R>(Millis(0), op, args...);
  }
};

Socket Simulator::Impl::connect() const {
  Socket s = Socket::connectTo(kLoopback, controlPort);
  if (!s.valid()) throw std::runtime_error("ktsim: cannot reach the native simulator");
  return s;
}

Socket Simulator::Impl::borrow() {
  {
    std::lock_guard<std::mutex> lk(poolMu);
    if (!idle.empty()) {
      Socket s = std::move(idle.back());
      idle.pop_back();
      return s;
    }
  }
  return connect();
}

void Simulator::Impl::giveBack(Socket socket) {
  std::lock_guard<std::mutex> lk(poolMu);
  idle.push_back(std::move(socket));
}

void Simulator::Impl::launch() {
  if (!startSockets()) throw std::runtime_error("ktsim: sockets unavailable");
  Options remoteOptions = options;
  remoteOptions.outputDir = remote::toNativePath(options.outputDir);
  const std::string program = remote::nativeSimulatorPath();
  std::string failure = "ktsim: no control port";
  // A port taken by someone else between probing and the simulator's bind is rare;
  // another port is then tried.
  for (int attempt = 0; attempt < 3; ++attempt) {
    controlPort = freeControlPort();
    if (controlPort == 0) continue;
    process = remote::ChildProcess::spawn(
        program, {"--control", "127.0.0.1:" + std::to_string(controlPort)});
    Socket owner;
    const auto deadline = std::chrono::steady_clock::now() + kStartWait;
    while (!owner.valid() && std::chrono::steady_clock::now() < deadline) {
      owner = Socket::connectTo(kLoopback, controlPort);
      if (!owner.valid()) std::this_thread::sleep_for(Millis(5));
    }
    if (!owner.valid()) {
      failure = "ktsim: the native simulator '" + program + "' did not come up";
      process.reap(Millis(100));
      continue;
    }
    giveBack(std::move(owner));
    try {
      call<void>(Op::Create, remoteOptions);
      return;
    } catch (const std::exception& e) {
      failure = e.what();
      std::lock_guard<std::mutex> lk(poolMu);
      idle.clear();
    }
    process.reap(Millis(1000));
  }
  throw std::runtime_error(failure);
}

void Simulator::Impl::serveHook() {
  for (;;) {
    const auto request = remote::receiveMessage(hookChannel, -1);
    if (!request) return;
    FinishReport report;
    bool send = true;
    try {
      Reader in(*request);
      in(report);
      in.finish();
      FinishReportHook h;
      {
        std::lock_guard<std::mutex> lk(hookMu);
        h = hook;
      }
      if (h) send = h(report);
    } catch (const std::exception&) {
      // A malformed request or a throwing hook: the report goes out as it was.
    }
    Writer answer;
    answer(report, send);
    if (!remote::sendMessage(hookChannel, answer.bytes())) return;
  }
}

void Simulator::Impl::shutdown() {
  try {
    call<void>(Op::Stop);
  } catch (const std::exception&) {
    // Already gone: closing the connections below is all that is left.
  }
  hookChannel.shutdownBoth();
  {
    // Closing the owning connection ends the simulator process.
    std::lock_guard<std::mutex> lk(poolMu);
    idle.clear();
  }
  if (hookThread.joinable()) hookThread.join();
  hookChannel.close();
  process.reap(Millis(2000));
}

// ---- Simulator ----

Simulator::Simulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {
  impl_->launch();
}

Simulator::~Simulator() {
  impl_->shutdown();
}

void Simulator::start() {
  impl_->call<void>(Op::Start);
}
void Simulator::stop() {
  impl_->call<void>(Op::Stop);
}
bool Simulator::running() const {
  return impl_->call<bool>(Op::Running);
}
std::string Simulator::address() const {
  return impl_->call<std::string>(Op::Address);
}
uint32_t Simulator::addressValue() const {
  return impl_->call<uint32_t>(Op::AddressValue);
}
uint16_t Simulator::commandPort() const {
  return impl_->call<uint16_t>(Op::CommandPort);
}
uint16_t Simulator::finishPort() const {
  return impl_->call<uint16_t>(Op::FinishPort);
}
uint16_t Simulator::discoveryPort() const {
  return impl_->call<uint16_t>(Op::DiscoveryPort);
}

PrinterState Simulator::state() const {
  return impl_->call<PrinterState>(Op::GetState);
}
void Simulator::setState(const PrinterState& state) {
  impl_->call<void>(Op::SetState, state);
}
void Simulator::updateState(const std::function<void(PrinterState&)>& f) {
  // Not atomic against the printer's own changes, as the in-process one is: tests change
  // the state while the printer is idle.
  PrinterState s = state();
  f(s);
  setState(s);
}
void Simulator::setModelHeader(const std::string& header) {
  impl_->call<void>(Op::SetModelHeader, header);
}
void Simulator::setVersions(int controller, int bios, int program, int deviceController) {
  impl_->call<void>(Op::SetVersions, controller, bios, program, deviceController);
}
void Simulator::setSensors(int gap, int mark, int peel, int ribbon, int cutDoor) {
  impl_->call<void>(Op::SetSensors, gap, mark, peel, ribbon, cutDoor);
}
void Simulator::setHeadRank(int rank) {
  impl_->call<void>(Op::SetHeadRank, rank);
}
void Simulator::setHeadOpen(bool open) {
  impl_->call<void>(Op::SetHeadOpen, open);
}
void Simulator::setErrorCode(int code) {
  impl_->call<void>(Op::SetErrorCode, code);
}
void Simulator::setStatusFailure(bool failed) {
  impl_->call<void>(Op::SetStatusFailure, failed);
}
void Simulator::setPaperStopPosition(int position) {
  impl_->call<void>(Op::SetPaperStopPosition, position);
}
void Simulator::setTemperatures(int headTenths, int ambientTenths) {
  impl_->call<void>(Op::SetTemperatures, headTenths, ambientTenths);
}
void Simulator::setTravel(int warningKm, uint64_t labelMm, uint64_t bodyMm) {
  impl_->call<void>(Op::SetTravel, warningKm, labelMm, bodyMm);
}
void Simulator::setGapMark(bool markDetection, bool gapManual, int gapReference, int gapResistance,
                           bool markManual, int markReference, int markResistance) {
  impl_->call<void>(Op::SetGapMark, markDetection, gapManual, gapReference, gapResistance,
                    markManual, markReference, markResistance);
}
void Simulator::setAddresses(const std::string& mac, uint32_t ip, uint32_t mask, uint32_t gateway) {
  impl_->call<void>(Op::SetAddresses, mac, ip, mask, gateway);
}
void Simulator::setCard(int number, const MemoryCard& card) {
  impl_->call<void>(Op::SetCard, number, card);
}
void Simulator::setCutPosition(int dots, uint32_t count) {
  impl_->call<void>(Op::SetCutPosition, dots, count);
}
void Simulator::setCutError(int number) {
  impl_->call<void>(Op::SetCutError, number);
}
void Simulator::setBrokenDots(std::vector<int> dots) {
  impl_->call<void>(Op::SetBrokenDots, dots);
}
void Simulator::setPrintSpeed(int mmPerSecond) {
  impl_->call<void>(Op::SetPrintSpeed, mmPerSecond);
}
void Simulator::setStopReportError(int error) {
  impl_->call<void>(Op::SetStopReportError, error);
}
void Simulator::setDiscoveryIdentity(int machineNumber, const std::string& modelText) {
  impl_->call<void>(Op::SetDiscoveryIdentity, machineNumber, modelText);
}

int Simulator::addFault(const Fault& fault) {
  return impl_->call<int>(Op::AddFault, fault);
}
void Simulator::removeFault(int id) {
  impl_->call<void>(Op::RemoveFault, id);
}
void Simulator::clearFaults() {
  impl_->call<void>(Op::ClearFaults);
}
int Simulator::faultHits(int id) const {
  return impl_->call<int>(Op::FaultHits, id);
}
void Simulator::setAccepting(Port port, bool accepting) {
  impl_->call<void>(Op::SetAccepting, port, accepting);
}
void Simulator::setAccepting(bool accepting) {
  impl_->call<void>(Op::SetAcceptingBoth, accepting);
}
void Simulator::closeConnections() {
  impl_->call<void>(Op::CloseConnections);
}

void Simulator::raiseJobError(int number, int afterCopies) {
  impl_->call<void>(Op::RaiseJobError, number, afterCopies);
}
void Simulator::stopFromPrinter() {
  impl_->call<void>(Op::StopFromPrinter);
}
void Simulator::setIssueHold(bool hold) {
  impl_->call<void>(Op::SetIssueHold, hold);
}
void Simulator::takeLabel() {
  impl_->call<void>(Op::TakeLabel);
}
bool Simulator::labelAtPeeler() const {
  return impl_->call<bool>(Op::LabelAtPeeler);
}

std::vector<FrameRecord> Simulator::frames() const {
  return impl_->call<std::vector<FrameRecord>>(Op::Frames);
}
std::vector<FrameRecord> Simulator::receivedFrames(std::string_view code) const {
  return impl_->call<std::vector<FrameRecord>>(Op::ReceivedFrames, std::string(code));
}
std::vector<FrameRecord> Simulator::sentFrames(std::string_view code) const {
  return impl_->call<std::vector<FrameRecord>>(Op::SentFrames, std::string(code));
}
std::vector<ConnectionRecord> Simulator::connections() const {
  return impl_->call<std::vector<ConnectionRecord>>(Op::Connections);
}
std::vector<JobRecord> Simulator::jobs() const {
  return impl_->call<std::vector<JobRecord>>(Op::Jobs);
}
std::optional<JobRecord> Simulator::lastJob() const {
  return impl_->call<std::optional<JobRecord>>(Op::LastJob);
}
std::vector<PrintedLabel> Simulator::labels() const {
  auto labels = impl_->call<std::vector<PrintedLabel>>(Op::Labels);
  for (auto& label : labels) label.file = remote::fromNativePath(label.file);
  return labels;
}
std::vector<FinishReport> Simulator::finishReports() const {
  return impl_->call<std::vector<FinishReport>>(Op::FinishReports);
}
ProgramRecord Simulator::program() const {
  return impl_->call<ProgramRecord>(Op::Program);
}
std::vector<std::string> Simulator::logLines() const {
  return impl_->call<std::vector<std::string>>(Op::LogLines);
}
void Simulator::clearRecords() {
  impl_->call<void>(Op::ClearRecords);
}

void Simulator::setFinishReportHook(FinishReportHook hook) {
  const bool on = static_cast<bool>(hook);
  {
    std::lock_guard<std::mutex> lk(impl_->hookMu);
    impl_->hook = std::move(hook);
    if (on && !impl_->hookThread.joinable()) {
      Socket channel = impl_->connect();
      Writer request;
      request(Op::Callback);
      const auto answer = remote::sendMessage(channel, request.bytes())
                              ? remote::receiveMessage(channel, int(kAnswerWait.count()))
                              : std::nullopt;
      if (!answer || answer->empty() || (*answer)[0] != char(remote::Status::Ok))
        throw std::runtime_error("ktsim: the native simulator refused the hook channel");
      impl_->hookChannel = std::move(channel);
      impl_->hookThread = std::thread([impl = impl_.get()] { impl->serveHook(); });
    }
  }
  impl_->call<void>(Op::SetHook, on);
}

bool Simulator::waitFor(const std::function<bool()>& condition, Millis timeout) const {
  const auto deadline = detail::deadlineAfter(timeout);
  for (;;) {
    if (condition()) return true;
    const auto left =
        std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now());
    if (left <= Millis(0)) return false;
    impl_->callWithin<void>(kEventSlice, Op::WaitEvent, std::min(left, kEventSlice));
  }
}
bool Simulator::waitForFrames(std::string_view code, size_t count, Millis timeout) const {
  return impl_->callWithin<bool>(timeout, Op::WaitForFrames, std::string(code),
                                 static_cast<uint64_t>(count), timeout);
}
bool Simulator::waitForLabels(size_t count, Millis timeout) const {
  return impl_->callWithin<bool>(timeout, Op::WaitForLabels, static_cast<uint64_t>(count), timeout);
}
bool Simulator::waitForReports(size_t count, Millis timeout) const {
  return impl_->callWithin<bool>(timeout, Op::WaitForReports, static_cast<uint64_t>(count),
                                 timeout);
}
bool Simulator::waitForJobEnd(Millis timeout) const {
  return impl_->callWithin<bool>(timeout, Op::WaitForJobEnd, timeout);
}
bool Simulator::waitForJobState(JobState state, Millis timeout) const {
  return impl_->callWithin<bool>(timeout, Op::WaitForJobState, state, timeout);
}
bool Simulator::waitForLabelAtPeeler(Millis timeout) const {
  return impl_->callWithin<bool>(timeout, Op::WaitForLabelAtPeeler, timeout);
}
bool Simulator::waitForConnections(Port port, size_t count, Millis timeout) const {
  return impl_->callWithin<bool>(timeout, Op::WaitForConnections, port,
                                 static_cast<uint64_t>(count), timeout);
}
bool Simulator::waitForNoOpenConnections(Millis timeout) const {
  return impl_->callWithin<bool>(timeout, Op::WaitForNoOpenConnections, timeout);
}

}  // namespace ktsim
