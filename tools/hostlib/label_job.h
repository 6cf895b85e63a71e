// One label job through the module's exports, as every host of ours runs it: open the
// printer, check that it can print, send the label with its copies (more than the printer
// takes in one print command go as consecutive jobs), follow the printer's finish reports
// to the last label, and stop the printer's job when the host cancels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::host {

// The host records of one job, zeroed and wired together.
struct HostRecords {
  LabelFormatST labelFormat{};
  PrintCondST printCond{};
  int32_t allowFlag100 = 0;
  int32_t allowFlag80A = 0;
  int32_t allowFlag80B = 0;
  uint32_t flagWord = 0;
  PrintJobST job{};

  HostRecords();
  HostRecords(const HostRecords&) = delete;
  HostRecords& operator=(const HostRecords&) = delete;
};

struct LabelJob {
  int printer = 1;  // 1..8
  // The label picture: rows top-down, 1 bit per dot, a set bit printing, `stride` bytes
  // per row.
  int widthDots = 0;
  int heightDots = 0;
  int stride = 0;
  const uint8_t* dots = nullptr;
  int copies = 1;
  // The label itself in 0.1 mm (0: the picture's size at 12 dots/mm).
  int widthTenths = 0;
  int lengthTenths = 0;
  int gapTenths = 0;
  int speed = 0;     // mm/s, 0: the printer's default
  int darkness = 0;  // 0: the most the printer allows at this speed
  bool thermalTransfer = false;
  bool markSensing = false;  // labels found by their black mark, not by the gap
  bool peel = false;
  bool cutEveryLabel = false;
  // `dots` already as the driver takes them: rows padded to 16 dots, a set bit white.
  bool driverLayout = false;
  // The host's own bitmap of the label (on Windows a GDI bitmap), sent as it is: `dots`
  // is then not read, and the picture's size in dots still sizes a label of size 0.
  NyHbitmap bitmap = nullptr;
  bool mirror = false;
  // The darkness left to the driver (none in the print conditions) instead of darknessFor.
  bool driverDarkness = false;
  // The driver may ask the host whether to feed the label back before printing.
  bool askBackfeed = false;
};

// The label's size and print conditions in the host records (the darkness is set once
// the printer is open: see darknessFor).
void fillRecords(HostRecords& records, const LabelJob& label);

// The darkness to send: the one asked for (0: none asked), never above what the open
// printer allows at this speed with its head and history-control settings (the driver's
// contrast limit).
uint16_t darknessFor(int printer, int wanted, uint16_t speed);

struct JobEvents {
  // Asked before each print command and between reads of the finish reports; true stops
  // the printer's job.
  std::function<bool()> cancelled;
  // Labels issued so far in the whole job, each time the count grows.
  std::function<void(int issued)> progress;
  // Each time the printer is opened: before, and after with whether it answered.
  std::function<void()> connecting;
  std::function<void(bool opened)> connected;
  // The printer cannot be reached (switched off, out of the network): true to open it
  // again (the host waits as it likes first), false to fail the job. Unset: the job fails.
  std::function<bool(uint32_t code, const std::string& message)> unreachable;
  // Each print command, once the printer is ready, before the label is sent.
  std::function<void(int copies)> sending;
  // A label waits at the peeler to be taken (with the driver's message), and is taken.
  std::function<void(bool waiting, const std::string& message)> peeler;
  // Before the printer's job is stopped for a cancel.
  std::function<void()> stopping;
  // Asked while the printer's report of that stop is awaited: true waits no longer.
  std::function<bool()> abandoned;
};

struct JobResult {
  enum class Outcome { Completed, Stopped, Failed } outcome = Outcome::Failed;
  // Where a failed job ended.
  enum class Step { None, Open, Ready, Send, Report, Stop } step = Step::None;
  int issued = 0;          // labels the printer reported as issued
  uint32_t errorCode = 0;  // the driver's code when failed
  std::string message;     // the driver's message (UTF-8) or what failed
};

// Runs the job to its end. Nothing else may use the same printer meanwhile. Every wait is
// bounded by the driver's time-outs: a printer that stops reporting fails the job.
JobResult runLabelJob(const LabelJob& label, const JobEvents& events);

// The picture as the driver takes it (rows padded to 16 dots, a set bit white).
std::vector<uint8_t> driverBits(const LabelJob& label, int& stride);

}  // namespace nypr::host
