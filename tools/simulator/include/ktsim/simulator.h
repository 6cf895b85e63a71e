// The KT3600R printer simulator: the printer that every test, benchmark and demo talks to.
//
// It listens on one IPv4 address, TCP port 10000 (commands) and 10001 (finish reports),
// answers every command from a configurable printer state, assembles and "prints" label
// jobs (one PNG per issued copy, plus the pixels in memory), sends the finish reports, and
// records every frame it received and sent. Faults are switched on per command code,
// port and connection. Everything here is thread-safe: tests call it from their own
// thread while the simulator's threads serve the driver.
//
// Typical use in a test:
//
//   ktsim::Simulator sim;                 // Options{}.address "" = a free 127.A.B.C
//   sim.start();
//   ... point the driver at sim.address() / sim.addressValue() ...
//   ASSERT_TRUE(sim.waitForJobEnd(std::chrono::seconds(5)));
//   auto labels = sim.labels();
//
// Nothing in here shares code with the driver: the simulator is written from the
// protocol's description so that a bug on one side shows up on the other.
//
// The simulator is a Linux program. In a Windows build (test programs under wine) this
// same class is a client: the constructor starts the native `kt3600r-sim` (its path built
// in, or $KTSIM_NATIVE_EXE) with its remote control, and every call runs there. The
// differences there: updateState() reads, changes and writes the state in three calls;
// waitFor() evaluates its condition in the calling process, looking again after each
// simulator event (or every 20 ms); Options::logSink is not called (read logLines());
// paths (outputDir, PrintedLabel::file) are translated between the two sides; a call
// after the simulator process has gone throws std::runtime_error.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ktsim {

using Millis = std::chrono::milliseconds;

// The two TCP ports of the printer.
enum class Port {
  Command,  // 10000: command exchanges
  Finish,   // 10001: finish reports (the printer also answers commands here, e.g. GMS)
};

// How the simulator is started. Every field has a usable default.
struct Options {
  // Dotted IPv4 address to listen on. "" picks a random loopback address 127.A.B.C
  // (C neither 0 nor 255) and retries with another one when the ports are taken there,
  // so that tests running in parallel processes never collide.
  std::string address;
  uint16_t commandPort = 10000;
  uint16_t finishPort = 10001;
  // Listen backlog of both TCP ports in normal operation.
  int listenBacklog = 16;

  // UDP discovery responder ("RequestMiraMachine?" -> "MiraMachine..." reply).
  bool discovery = false;
  // Address the responder binds: "" = the simulator's own address (unicast only);
  // "0.0.0.0" hears broadcasts (needs port 30000 free on the machine).
  std::string discoveryAddress;
  uint16_t discoveryPort = 30000;

  // Directory that receives one PNG per printed label ("" = keep labels in memory only).
  // Created when missing.
  std::string outputDir;

  // Factor on every printer-side duration (issuing a copy at the print speed, the test
  // print's 1 s / 2 s intervals). 0 issues instantly, 1 is real time.
  double timeScale = 0.0;

  // Log every frame received and sent in readable form.
  bool verbose = false;
  // Where log lines go (also kept in memory, see logLines()). Default: standard error,
  // but only when verbose is set; warnings (bad frames) are always kept in memory. A sink
  // gets every line when verbose, else the warnings only. It is called with the
  // simulator's lock held: it must not call the simulator.
  std::function<void(std::string_view)> logSink;
};

// One memory card slot of the CDS (card test) command.
struct MemoryCard {
  bool present = false;
  int readError = 0;                        // 3 digits in the answer
  int files = 0;                            // 4 digits
  std::string firstSize = "000000000000";   // 12 characters as sent
  std::string secondSize = "000000000000";  // 12 characters as sent

  bool operator==(const MemoryCard&) const = default;
};

// Everything the printer answers from. Set it with setState()/updateState() or the
// named setters below; the printer itself changes some fields (travel distances,
// cut count, sensor settings, addresses, peel sensor, test counters).
struct PrinterState {
  // --- Status block (STS answer) ---
  // Header of every answer. Its second character names the model: 'S' is this printer;
  // "21200" poses as another model.
  std::string header = "2S200";
  int controllerVersion = 120;        // x 100 (driver needs >= 90)
  int biosVersion = 110;              // x 100
  int programVersion = 250;           // x 100 (driver needs >= 200)
  int deviceControllerVersion = 100;  // x 100
  int errorCode = 0;                  // printer error code (3 digits)
  int gapSensor = 30;                 // readings in %
  int markSensor = 20;
  int peelSensor = 10;  // reading without a label on the peeler
  int ribbonSensor = 50;
  int cutDoorSensor = 0;
  int headRank = 3;  // '0'..'7'
  bool headOpen = false;
  int headTemperature = 253;     // tenths of a degree C, may be negative
  int ambientTemperature = 221;  // tenths of a degree C, may be negative
  bool statusFailure = false;    // status block position 42
  char status43 = '0';
  char status44 = '0';
  int paperStopPosition = 1;  // '0'..'6' (position 45)
  char status52 = '0';

  // --- Gap/mark sensor settings (GMS) ---
  bool markDetection = false;  // detection in use: false gap, true mark
  bool gapManual = false;
  int gapReference = 50;   // %, 2 digits
  int gapResistance = 40;  // 2 digits; trims step it by one
  bool markManual = false;
  int markReference = 50;
  int markResistance = 40;

  // --- Travel distances (LRS) ---
  int warningDistanceKm = 100;  // head-break warning distance, 1..250
  uint64_t labelTravelMm = 0;   // label run distance
  uint64_t bodyTravelMm = 0;    // printer body run distance

  // --- Network addresses (ADS); host order, first octet most significant ---
  std::string mac = "0080921A2B3C";  // 12 characters as shown
  uint32_t ip = 0;                   // 0 = the simulator's listening address
  uint32_t mask = 0xFFFFFF00u;
  uint32_t gateway = 0;

  // --- Memory cards (CDS), numbers 0..9 ---
  std::array<MemoryCard, 10> cards{};

  // --- Cutter (CPS, CTS) ---
  int cutPositionDots = 305;  // current cut position, dots
  int cutBaseDots = 305;      // position after a reset; millimetres are shown from it
  uint32_t cutCount = 0;      // cutter operations
  int cutError = 0;           // number answered to CTS (0 = cut done)

  // --- Head check (HCS) ---
  std::vector<int> brokenDots;  // 1-based dot positions of broken heating elements

  // --- Discovery ---
  int machineNumber = 1;                         // 2 digits
  std::string modelText = "KT-3600R  Ver2.50 ";  // 18 characters at reply offset 25

  // --- Printing behaviour ---
  int printSpeed = 0;            // mm/s for issuing; 0 = PRS condition value 1, else 100
  int stopReportError = 998;     // error number of the finish report after PSP
  int peelSensorWithLabel = 90;  // peel reading while a label waits at the peeler

  // --- Observed by the printer (tests read them) ---
  int buzzerTests = 0;
  int ledTests = 0;
  bool motorTestMode = false;
  bool innerMotorRunning = false;
  bool outerMotorRunning = false;

  bool operator==(const PrinterState&) const = default;
};

// What a fault does to the answer of a matching request.
enum class FaultAction {
  WrongCode,       // answer with the code letters `answerCode` instead of the right ones
  NoAnswerClose,   // swallow the request, answer nothing, close the connection
  NoAnswer,        // swallow the request, keep the connection open
  Reset,           // swallow the request and reset the connection (RST, SO_LINGER 0)
  Delay,           // answer after `delay`
  Split,           // answer in `segments` TCP segments with `delay` between them
  FailureFlag,     // set the answer's failure flag ('1') where the command has one
                   // (STS: position 42; DTI: position 9; FES/PRS/PTS/CPS/HCS: 11; ...)
  Status,          // put `number` into the answer's status/number field
                   // (PRS/INS/ADS: 8-10, CTS: the cut number)
  WrongParameter,  // FES/PRS: failure flag at 11 and parameter number `number` at 12-14
  OtherHeader,     // answer with header `header` (e.g. "21200", another model)
  LengthDigits,    // announce `number` bytes more (or fewer, when negative) than the payload
  Truncate,        // cut the answer's payload to its first `number` bytes
};

// A fault, switched on with addFault(). It matches requests by code, port and
// connection; the first `skip` matching requests pass untouched (so "close after N DTI
// frames" is {code "DTI", skip N, NoAnswerClose}); it then fires `times` times
// (negative: until removed). Several faults may fire on one request: answer changes
// apply first, then Delay/Split; NoAnswer/NoAnswerClose/Reset win over everything.
struct Fault {
  std::string code;          // request code ("STS", "DTI", ...); "" = every request
  std::optional<Port> port;  // only requests on this port
  uint64_t connection = 0;   // only this connection id (0 = any)
  int skip = 0;
  int times = 1;

  FaultAction action = FaultAction::NoAnswerClose;
  std::string answerCode = "XXR";  // WrongCode: three code letters to answer with
  Millis delay{50};                // Delay, and the gap between Split segments
  int segments = 3;                // Split
  int number = 0;                  // Status / WrongParameter / LengthDigits / Truncate
  std::string header = "21200";    // OtherHeader

  bool operator==(const Fault&) const = default;
};

// One frame on the wire, as received from the host or sent by the printer.
struct FrameRecord {
  uint64_t connection = 0;  // connection id, counting from 1 per simulator
  Port port = Port::Command;
  bool received = true;  // true: from the host; false: sent by the printer
  bool valid = true;     // false: bytes dropped as a bad frame (received only)
  std::string bytes;     // exact bytes, STX..ETX for valid frames

  // Payload (between the length digits and ETX), or "" when not a valid frame.
  std::string payload() const;
  // The three code letters (payload 5..7), or "" when there are none.
  std::string code() const;

  bool operator==(const FrameRecord&) const = default;
};

// One TCP connection accepted by the simulator.
struct ConnectionRecord {
  uint64_t id = 0;
  Port port = Port::Command;
  std::string peer;  // "a.b.c.d:port"
  bool open = true;
  bool closedByPrinter = false;  // closed by a fault, stop() or a printer event

  bool operator==(const ConnectionRecord&) const = default;
};

// The print conditions of a PRS (or FES) request, decoded.
struct PrintConditions {
  int widthDots = 0;
  int lengthDots = 0;
  int gapDots = 0;
  int condition1 = 0;            // data positions 11-13 (taken as the print speed, mm/s)
  int condition2 = 0;            // data positions 14-16
  bool thermalTransfer = false;  // position 17
  bool flag8 = false;            // position 18
  bool autoPeel = false;         // position 19
  bool flag4 = false;            // position 20
  bool flag2 = false;            // position 21
  int posAdjX = 0;
  int posAdjY = 0;
  int copies = 0;
  std::string settings;  // the 168-character parameter record
  std::string raw;       // the 200 data bytes as received

  bool operator==(const PrintConditions&) const = default;
};

enum class JobKind { Print, Feed, TestPrint };

enum class JobState {
  Receiving,  // PRS accepted, raster frames arriving
  Issuing,    // raster complete, copies being issued
  Finished,   // every copy issued, last report sent with 0 remaining
  Stopped,    // PSP or a stop from the printer (999)
  Failed,     // a printer error ended it
  Abandoned,  // replaced by a new job before its raster was complete
};

// One finish report the printer produced (sent or, without a finish connection, not).
struct FinishReport {
  uint64_t job = 0;
  int error = 0;      // 3 digits
  int remaining = 0;  // 4 digits: copies still to issue
  bool delivered = false;
  uint64_t connection = 0;  // finish connection it went out on

  bool operator==(const FinishReport&) const = default;
};

// One issued label, rendered as the host's bitmap looked: top row first, x to the right.
struct PrintedLabel {
  uint64_t job = 0;
  int copy = 0;  // 1-based
  JobKind kind = JobKind::Print;
  int width = 0;                // dots
  int height = 0;               // dots
  std::vector<uint8_t> pixels;  // width * height, 0 = printed dot (black), 255 = blank
  std::string file;             // PNG path, "" when no output directory

  bool dot(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height &&
           pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] ==
               0;
  }

  bool operator==(const PrintedLabel&) const = default;
};

// One job as the printer saw it.
struct JobRecord {
  uint64_t id = 0;  // counting from 1
  JobKind kind = JobKind::Print;
  JobState state = JobState::Receiving;
  PrintConditions conditions;
  int bytesPerLine = 0;    // from the first DTI frame
  int framesExpected = 0;  // ceil(lengthDots / 5)
  int framesReceived = 0;
  // Raster lines in the order received (bottom row of the label first), each bytesPerLine
  // bytes without the "00" prefix.
  std::vector<std::vector<uint8_t>> lines;
  int copiesIssued = 0;
  int endError = 0;  // error of the last report
  std::vector<FinishReport> reports;

  bool operator==(const JobRecord&) const = default;
};

// The program received with INS / IDS... / INE.
struct ProgramRecord {
  bool started = false;   // INS seen
  bool complete = false;  // INE accepted
  int blocks = 0;
  std::vector<uint8_t> data;  // blocks x 512 bytes, as received

  bool operator==(const ProgramRecord&) const = default;
};

// Called on the issuing thread before a finish report goes out; may change it.
// Return false to drop it (it is then recorded as not delivered).
using FinishReportHook = std::function<bool(FinishReport&)>;

class Simulator {
 public:
  explicit Simulator(Options options = {});
  ~Simulator();  // stops the simulator
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // --- Life cycle ---
  // Binds and listens, starts the threads. Throws std::runtime_error when the ports
  // cannot be bound (after the retries of a random address). Starting twice is a no-op.
  void start();
  // Closes every socket and joins every thread. Safe to call more than once.
  void stop();
  bool running() const;

  std::string address() const;    // dotted text of the listening address
  uint32_t addressValue() const;  // same, host order, first octet most significant
  uint16_t commandPort() const;
  uint16_t finishPort() const;
  uint16_t discoveryPort() const;  // 0 when the responder is off

  // --- Printer state ---
  PrinterState state() const;
  void setState(const PrinterState& state);
  // Changes the state under the simulator's lock (do not call the simulator from `f`).
  void updateState(const std::function<void(PrinterState&)>& f);
  void setModelHeader(const std::string& header);  // e.g. "21200" for another model
  void setVersions(int controller, int bios, int program, int deviceController);
  void setSensors(int gap, int mark, int peel, int ribbon, int cutDoor);
  void setHeadRank(int rank);
  void setHeadOpen(bool open);  // also fails a running job with error 1
  void setErrorCode(int code);
  void setStatusFailure(bool failed);
  void setPaperStopPosition(int position);
  void setTemperatures(int headTenths, int ambientTenths);
  void setTravel(int warningKm, uint64_t labelMm, uint64_t bodyMm);
  void setGapMark(bool markDetection, bool gapManual, int gapReference, int gapResistance,
                  bool markManual, int markReference, int markResistance);
  void setAddresses(const std::string& mac, uint32_t ip, uint32_t mask, uint32_t gateway);
  void setCard(int number, const MemoryCard& card);
  void setCutPosition(int dots, uint32_t count);
  void setCutError(int number);
  void setBrokenDots(std::vector<int> dots);
  void setPrintSpeed(int mmPerSecond);
  void setStopReportError(int error);
  void setDiscoveryIdentity(int machineNumber, const std::string& modelText);

  // --- Faults ---
  int addFault(const Fault& fault);  // returns an id for removeFault()/faultHits()
  void removeFault(int id);
  void clearFaults();
  int faultHits(int id) const;  // how often the fault fired so far
  // Stops accepting on a port: the listen queue is shrunk to its minimum and filled by
  // the simulator itself, so the host's connects time out (SYNs are dropped). Connections
  // already open keep working. setAccepting(port, true) drains the queue and resumes.
  void setAccepting(Port port, bool accepting);
  void setAccepting(bool accepting);  // both ports
  // Closes every open connection (from the printer's side).
  void closeConnections();

  // --- Printer events ---
  // Ends the current (or next) print job with a finish report carrying `number` once
  // `afterCopies` copies of it have been issued. 999 is a stop from the printer.
  void raiseJobError(int number, int afterCopies = 0);
  void stopFromPrinter();  // raiseJobError(999)
  // While held, the printer does not start issuing the next copy (lets tests stop a job
  // in the middle deterministically).
  void setIssueHold(bool hold);
  // Auto-peel: after each copy of an auto-peel job the label waits at the peeler (peel
  // sensor high) and the next copy waits until takeLabel().
  void takeLabel();
  bool labelAtPeeler() const;

  // --- Records ---
  std::vector<FrameRecord> frames() const;
  // Frames received from the host with this code ("" = every valid received frame).
  std::vector<FrameRecord> receivedFrames(std::string_view code = {}) const;
  // Frames the printer sent with this code ("" = every sent frame).
  std::vector<FrameRecord> sentFrames(std::string_view code = {}) const;
  std::vector<ConnectionRecord> connections() const;
  std::vector<JobRecord> jobs() const;
  std::optional<JobRecord> lastJob() const;
  // The most recent labels (at most 1000 are kept in memory; their PNGs all stay).
  std::vector<PrintedLabel> labels() const;
  std::vector<FinishReport> finishReports() const;
  ProgramRecord program() const;
  std::vector<std::string> logLines() const;
  // Forgets frames, connections (closed ones), jobs, labels, reports and log lines.
  void clearRecords();
  void setFinishReportHook(FinishReportHook hook);

  // --- Waiting (never sleep blindly in tests) ---
  // Re-evaluates `condition` after every simulator event until it holds or the time-out
  // passes; true when it held. `condition` may call the simulator.
  bool waitFor(const std::function<bool()>& condition, Millis timeout) const;
  // At least `count` valid frames with this code received ("" = any code).
  bool waitForFrames(std::string_view code, size_t count, Millis timeout) const;
  bool waitForLabels(size_t count, Millis timeout) const;
  bool waitForReports(size_t count, Millis timeout) const;
  // The last job is in Finished, Stopped, Failed or Abandoned state.
  bool waitForJobEnd(Millis timeout) const;
  // The last job has reached `state` (or ended in it).
  bool waitForJobState(JobState state, Millis timeout) const;
  bool waitForLabelAtPeeler(Millis timeout) const;
  // At least `count` connections accepted on `port` since the last clearRecords().
  bool waitForConnections(Port port, size_t count, Millis timeout) const;
  // Every accepted connection has been closed.
  bool waitForNoOpenConnections(Millis timeout) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Text for logs and test messages.
const char* toString(Port port);
const char* toString(JobState state);
const char* toString(FaultAction action);

}  // namespace ktsim
