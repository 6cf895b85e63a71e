// GET /metrics: every printer of this instance in the Prometheus text exposition format
// (version 0.0.4), one series per printer, labelled with its name and address.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "printer_status.h"

namespace nypr::app {

struct PrinterMetrics {
  std::string name;
  std::string address;
  int state = 3;          // IPP printer-state: 3 idle, 4 processing, 5 stopped
  bool answered = false;  // the last status query was answered
  uint32_t reasons = 0;   // host::Reason bits
  uint32_t lastErrorCode = 0;
  bool haveDetails = false;
  host::StatusDetails details;
  uint64_t labelsPrinted = 0;
  uint64_t jobsCompleted = 0;
  uint64_t jobsAborted = 0;
};

std::string renderMetrics(const std::vector<PrinterMetrics>& printers);

}  // namespace nypr::app
