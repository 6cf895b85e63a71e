// The application's printers as the module knows them: each PAPPL printer holds one of the
// module's eight printer numbers, its address, the lock that keeps its status queries off
// the wire while it prints, its last status and its counters.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "printer_status.h"

namespace nypr::app {

constexpr int kMaxPrinters = 8;  // the module's printer numbers 1..8

struct AppPrinter {
  int id = 0;      // PAPPL printer id
  int number = 0;  // module printer number 1..8
  uint32_t address = 0;
  bool restored = false;  // got the number it had before a restart

  // Held while a label is on the wire and for each status query: one user at a time.
  std::mutex wire;
  std::atomic<bool> polling{false};  // a status query is under way

  mutable std::mutex statusMutex;
  host::PrinterStatus status;  // last status read (guarded by statusMutex)
  bool haveStatus = false;
  uint32_t lastErrorCode = 0;    // last driver error of a job or a query
  std::string lastErrorMessage;  // its driver's text (UTF-8), when known

  uint32_t loggedCode = 0;  // the status error last written to the log (timer only)

  std::atomic<uint64_t> labelsPrinted{0};
  std::atomic<uint64_t> jobsCompleted{0};
  std::atomic<uint64_t> jobsAborted{0};

  void setStatus(const host::PrinterStatus& s);
  host::PrinterStatus lastStatus(bool& have, uint32_t& lastError) const;
  void noteError(uint32_t code);
};

// Printer numbers handed out to PAPPL printers; the pairing is kept in the host INI file
// so that a printer keeps its number, and with it its settings, across restarts.
class Registry {
 public:
  bool full() const;
  // The printer for PAPPL printer `id`, given a free number (its previous one when free:
  // `restored`); null when all numbers are taken.
  std::shared_ptr<AppPrinter> assign(int id, uint32_t address);
  std::shared_ptr<AppPrinter> find(int id) const;
  std::vector<std::shared_ptr<AppPrinter>> all() const;
  // Frees the numbers of printers that no longer exist.
  void retain(const std::set<int>& ids);

 private:
  mutable std::mutex mutex_;
  std::array<std::shared_ptr<AppPrinter>, kMaxPrinters> slots_{};
};

}  // namespace nypr::app
