// The simulator's inside: the state every part shares (printer state, records, faults,
// jobs, connections) and the parts' entry points. Each part lives in its own file:
//   simulator.cpp       life cycle, addresses, waiting
//   printer_state.cpp   the printer state and its setters
//   records.cpp         frame, connection, job and log records
//   connections.cpp     listening, accepting, serving connections, discovery (the sockets)
//   faults.cpp          fault switches and what they do to an answer
//   commands.cpp        answers to the command set
//   print_jobs.cpp      job assembly from PRS/FES/PTS/DTI, issuing copies, printer events
//   finish_reports.cpp  finish reports and their delivery
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ktsim/simulator.h"

namespace ktsim {

namespace detail {

using Clock = std::chrono::steady_clock;

// Labels kept in memory; older ones are dropped (their PNG files stay).
inline constexpr size_t kMaxStoredLabels = 1000;
// Log lines kept in memory.
inline constexpr size_t kMaxLogLines = 20000;
// The frame record keeps the newest frames within this much memory (about a hundred
// jobs of the longest labels); older ones are dropped.
inline constexpr size_t kFrameRecordBytes =
    size_t{64}
    << 20;  // A frame that stays incomplete this long is dropped (the host sent fewer bytes than
// its length digits promised).
inline constexpr Millis kPartialFrameTimeout{2000};
// Test prints come out 30 mm long over the whole head.
inline constexpr int kTestLabelDots = 360;
inline constexpr int kHeadDots = 960;

inline bool isEnded(JobState s) {
  return s == JobState::Finished || s == JobState::Stopped || s == JobState::Failed ||
         s == JobState::Abandoned;
}

// Frame bytes in readable form: control bytes escaped, long binary data abbreviated.
std::string readable(std::string_view bytes);

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

}  // namespace detail

struct Simulator::Impl {
  using Connection = detail::Connection;
  using Listener = detail::Listener;

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
  std::atomic<bool> halting{false};  // stopping, read without `mu` by paused answers
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
  std::deque<FrameRecord> frameRecords;  // the newest, within kFrameRecordBytes
  size_t frameRecordBytes = 0;
  std::map<uint64_t, JobRecord> jobRecords;
  std::map<uint64_t, PrintedLabel> jobLabels;  // rendered once per job
  std::map<uint64_t, int> testForms;           // issue form of test-print jobs
  uint64_t nextJob = 1;
  std::deque<uint64_t> issueQueue;
  std::deque<detail::OutgoingReport> outbox;
  std::deque<PrintedLabel> labelRecords;
  std::vector<FinishReport> reportRecords;
  ProgramRecord programRecord;
  bool programBroken = false;
  std::deque<std::string> logRecords;
  std::vector<detail::FaultEntry> faults;
  int nextFault = 1;
  FinishReportHook hook;
  bool hold = false;
  bool labelWaiting = false;
  struct PendingError {
    int number;
    int afterCopies;
  };
  std::optional<PendingError> pendingError;
  std::optional<detail::Clock::time_point> nextIssueAt;
  uint64_t travelRemainderDots = 0;

  explicit Impl(Options o);

  Listener& listener(Port p) { return listeners[p == Port::Command ? 0 : 1]; }

  // ---- events, log and records (simulator.cpp, records.cpp) ----
  void notify() const;
  // Caller holds mu.
  void log(const std::string& line, bool warning);
  void recordFrame(const Connection& c, bool received, bool valid, std::string bytes);
  ConnectionRecord* connectionRecord(uint64_t id);
  bool waitFor(const std::function<bool()>& condition, Millis timeout) const;

  // ---- life cycle and connections (connections.cpp) ----
  bool bindAt(uint32_t address);
  void start();
  void closeAll();
  void stop();
  // Sleeps `length` (bounded), or until the simulator stops.
  void pause(Millis length);
  void acceptLoop(Listener& l);
  // Joins the threads of connections that ended. Caller holds mu.
  void reap();
  void setAccepting(Port port, bool accepting);
  void closeConnection(Connection& c, bool reset, bool byPrinter);
  void serve(std::shared_ptr<Connection> c);
  // Handles one valid frame: 0 keep going, 1 close, 2 reset.
  int handleFrame(Connection& c, const std::string& frame);
  void discoveryLoop();

  // ---- faults (faults.cpp); caller holds mu ----
  detail::Plan planFaults(const Connection& c, const std::string& code);
  static void applyPlan(const detail::Plan& plan, const std::string& code, std::string& answer);

  // ---- commands (commands.cpp); caller holds mu ----
  std::string header() const;
  std::string respond(const std::string& code, const std::string& payload);
  std::string programTransfer(const std::string& code, const std::string& payload);

  // ---- jobs and issuing (print_jobs.cpp); caller holds mu unless said ----
  uint64_t newJob(JobKind kind, const PrintConditions& conditions);
  void beginIssuing(uint64_t id);
  std::string startJob(const std::string& code, const std::string& payload);
  JobRecord* receivingJob();
  std::string rasterFrame(const std::string& payload);
  std::string testPrint(const std::string& payload);
  std::string stopJobs(const std::string& payload);
  JobRecord* issuingJob();
  Millis copyTime(const JobRecord& job) const;
  void endJob(JobRecord& job, int error, int remaining);
  // One copy of the job comes out.
  void issueCopy(JobRecord& job);
  // The engine thread: issues copies and hands reports to deliver(); takes mu itself.
  void engineLoop();

  // ---- finish reports (finish_reports.cpp) ----
  void queueReport(JobRecord& job, int error, int remaining);
  std::shared_ptr<Connection> newestFinishConnection();
  // Sends one report on `c`; takes mu itself.
  void deliver(detail::OutgoingReport item, const std::shared_ptr<Connection>& c);
};

}  // namespace ktsim
