// Status read on a timer for every printer, not only when a client asks: each query runs
// on a thread of its own (a printer that does not answer takes the driver's time-outs)
// and only when the printer has no job on the wire; the timer, on PAPPL's own loop,
// applies the last results to the printers' state reasons.
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "app.h"
#include "driver_reasons.h"
#include "metrics.h"
#include "printer_address.h"

namespace nypr::app {
namespace {

pappl_preason_t papplReasons(uint32_t reasons) {
  pappl_preason_t out = PAPPL_PREASON_NONE;
  if (reasons & host::kReasonCoverOpen) out |= PAPPL_PREASON_COVER_OPEN;
  if (reasons & host::kReasonMarkerSupplyEmpty) out |= PAPPL_PREASON_MARKER_SUPPLY_EMPTY;
  if (reasons & host::kReasonMediaEmpty) out |= PAPPL_PREASON_MEDIA_EMPTY;
  if (reasons & host::kReasonMediaNeeded) out |= PAPPL_PREASON_MEDIA_NEEDED;
  if (reasons & host::kReasonMediaJam) out |= PAPPL_PREASON_MEDIA_JAM;
  if (reasons & host::kReasonDoorOpen) out |= PAPPL_PREASON_DOOR_OPEN;
  if (reasons & host::kReasonOffline) out |= PAPPL_PREASON_OFFLINE;
  // PAPPL has no output-area-full: a label waiting at the peeler shows as other.
  if (reasons & (host::kReasonOther | host::kReasonOutputAreaFull)) out |= PAPPL_PREASON_OTHER;
  return out;
}

constexpr pappl_preason_t kOurReasons =
    PAPPL_PREASON_COVER_OPEN | PAPPL_PREASON_MARKER_SUPPLY_EMPTY | PAPPL_PREASON_MEDIA_EMPTY |
    PAPPL_PREASON_MEDIA_NEEDED | PAPPL_PREASON_MEDIA_JAM | PAPPL_PREASON_DOOR_OPEN |
    PAPPL_PREASON_OFFLINE | PAPPL_PREASON_OTHER;

// The ribbon (its level is not reported: known only to be empty) and the print head's
// life: the label travel against the head-break warning distance.
void applySupplies(pappl_printer_t* p, const host::PrinterStatus& status) {
  pappl_supply_t supplies[2] = {};
  supplies[0].color = PAPPL_SUPPLY_COLOR_BLACK;
  std::snprintf(supplies[0].description, sizeof supplies[0].description, "Ribbon");
  supplies[0].is_consumed = true;
  supplies[0].level = (status.reasons & host::kReasonMarkerSupplyEmpty) ? 0 : -1;
  supplies[0].type = PAPPL_SUPPLY_TYPE_INK_RIBBON;
  supplies[1].color = PAPPL_SUPPLY_COLOR_NO_COLOR;
  std::snprintf(supplies[1].description, sizeof supplies[1].description, "Print head");
  supplies[1].is_consumed = false;
  supplies[1].level = -1;
  supplies[1].type = PAPPL_SUPPLY_TYPE_OTHER;
  if (status.details && status.details->haveDistances && status.details->headWarningKm > 0) {
    const uint64_t warningMm = static_cast<uint64_t>(status.details->headWarningKm) * 1000000;
    const uint64_t travel = std::min(status.details->labelTravelMm, warningMm);
    supplies[1].level = static_cast<int>((warningMm - travel) * 100 / warningMm);
  }
  papplPrinterSetSupplies(p, 2, supplies);
}

void startQuery(const std::shared_ptr<AppPrinter>& printer) {
  if (printer->polling.exchange(true)) return;
  ++app().queries;
  std::thread([printer] {
    {
      std::unique_lock wire(printer->wire, std::try_to_lock);
      if (wire.owns_lock()) printer->setStatus(host::readPrinterStatus(printer->number));
    }
    printer->polling = false;
    --app().queries;
  }).detach();
}

void collect(pappl_printer_t* printer, void* ids) {
  static_cast<std::set<int>*>(ids)->insert(papplPrinterGetID(printer));
}

volatile sig_atomic_t g_terminating = 0;

void noteTermination(int) {
  g_terminating = 1;
}

}  // namespace

bool terminating() {
  return g_terminating != 0;
}

void watchTermination() {
  struct sigaction current {};
  sigaction(SIGTERM, nullptr, &current);
  if (current.sa_handler == noteTermination) return;
  struct sigaction action {};
  action.sa_handler = noteTermination;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

void waitForStatusQueries() {
  // A query ends within the driver's connect and answer time-outs.
  for (int waited = 0; app().queries > 0 && waited < 30000; waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

bool statusTimer(pappl_system_t* system, void*) {
  watchTermination();
  if (terminating()) {
    papplSystemShutdown(system);
    return false;
  }
  std::set<int> ids;
  papplSystemIteratePrinters(system, collect, &ids);
  app().registry.retain(ids);
  for (const auto& printer : app().registry.all()) {
    bool have = false;
    uint32_t lastError = 0;
    const host::PrinterStatus status = printer->lastStatus(have, lastError);
    pappl_printer_t* p = papplSystemFindPrinter(system, nullptr, printer->id, nullptr);
    if (p && have) {
      const pappl_preason_t reasons = papplReasons(status.reasons);
      papplPrinterSetReasons(p, reasons, kOurReasons & ~reasons);
      if (status.answered) applySupplies(p, status);
      // PAPPL 1.3 has no printer-state-message to set: the driver's text goes to the log.
      if (status.errorCode != printer->loggedCode) {
        if (status.errorCode != 0) {
          papplLogPrinter(p, PAPPL_LOGLEVEL_WARN, "[%u] %s", status.errorCode,
                          status.errorMessage.c_str());
        } else {
          papplLogPrinter(p, PAPPL_LOGLEVEL_INFO, "The printer is ready.");
        }
        printer->loggedCode = status.errorCode;
      }
    }
    startQuery(printer);
  }
  return true;
}

bool metricsResource(pappl_client_t* client, void*) {
  std::vector<PrinterMetrics> all;
  for (const auto& printer : app().registry.all()) {
    pappl_printer_t* p = papplSystemFindPrinter(app().system, nullptr, printer->id, nullptr);
    if (!p) continue;
    PrinterMetrics m;
    m.name = papplPrinterGetName(p);
    m.address = host::formatIpv4(printer->address);
    m.state = static_cast<int>(papplPrinterGetState(p));
    bool have = false;
    const host::PrinterStatus status = printer->lastStatus(have, m.lastErrorCode);
    m.answered = have && status.answered;
    m.reasons = have ? status.reasons : 0;
    m.haveDetails = have && status.details.has_value();
    if (m.haveDetails) m.details = *status.details;
    m.labelsPrinted = printer->labelsPrinted;
    m.jobsCompleted = printer->jobsCompleted;
    m.jobsAborted = printer->jobsAborted;
    all.push_back(std::move(m));
  }
  const std::string text = renderMetrics(all);
  if (!papplClientRespond(client, HTTP_STATUS_OK, nullptr, "text/plain; version=0.0.4", 0,
                          text.size())) {
    return false;
  }
  return httpWrite2(papplClientGetHTTP(client), text.data(), text.size()) >= 0;
}

}  // namespace nypr::app
