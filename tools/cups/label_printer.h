// The backend as a host of the driver module: it prints label pages on printer 1 of a
// private host INI file through the module's exports (open, ready check, print, finish
// reports, close) and tells CUPS what happens on standard error.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "label_page.h"

namespace nypr::cups {

class LabelPrinter {
 public:
  // `cancelled` is set when CUPS cancels the job (SIGTERM).
  explicit LabelPrinter(const std::atomic<bool>& cancelled) : cancelled_(cancelled) {}
  ~LabelPrinter();
  LabelPrinter(const LabelPrinter&) = delete;
  LabelPrinter& operator=(const LabelPrinter&) = delete;

  // Writes the printer's address (host order) into a host INI file of its own, where the
  // driver reads its settings (factory defaults besides the address). The file is created
  // new in a folder of its own made under `tempDir` (which others may write to), so no
  // name in `tempDir` can be prepared for it; both are removed with the printer.
  bool configure(uint32_t address, const std::string& tempDir);

  // Prints `page` in its copies (more than the printer takes at once are split into
  // consecutive jobs) and follows each job to its end. Returns a CUPS backend status:
  // CUPS_BACKEND_OK when done or when the job was cancelled and stopped.
  int print(const LabelPage& page, int pageNumber);

  // One cut at the auto cutter, after the job's last label.
  int cut();

 private:
  // Waits before the printer is opened again; false when the job is cancelled meanwhile.
  bool waitToRetry(uint32_t code, const std::string& message);

  const std::atomic<bool>& cancelled_;
  std::string dir_;
  std::string iniPath_;
  int retryDelay_ = 0;  // seconds before the next open of a printer that cannot be reached
};

}  // namespace nypr::cups
