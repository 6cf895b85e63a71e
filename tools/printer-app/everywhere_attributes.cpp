// The printer has no light, display or buzzer the module can reach: it identifies itself
// by feeding one blank label, which the user hears (the feed motor) and sees come out.
// The feed runs while the client waits (within the driver's time-outs), and only when the
// printer has nothing on the wire and is ready.
#include "everywhere_attributes.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app.h"
#include "driver_text.h"
#include "label_job.h"
#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::app {
namespace {

constexpr int kLockTries = 60;  // 3 s

// Feeds one blank label of the loaded media; false with the reason when it did not.
bool feedOneLabel(AppPrinter& printer, const pappl_media_col_t& media, std::string& why) {
  host::LabelJob label;
  label.printer = printer.number;
  label.widthTenths = media.size_width > 0 ? media.size_width / 10 : 500;
  label.lengthTenths = media.size_length > 0 ? media.size_length / 10 : 300;
  label.gapTenths = media.tracking == PAPPL_MEDIA_TRACKING_CONTINUOUS ? 0 : 30;
  host::HostRecords records;
  host::fillRecords(records, label);
  const auto number = static_cast<uint8_t>(printer.number);
  const auto index = static_cast<uint8_t>(printer.number - 1);
  bool fed = false;
  if (NyPrInitPrinter(number, &records.job) == 0) {
    records.printCond.Cond4UW = host::darknessFor(printer.number, 0, records.printCond.Cond2UW);
    fed = NyPrIsPrintReady(index, 2) != 0 && NyPrFeedLabel(number, &records.job) != 0;
  }
  if (!fed) {
    const host::DriverError error = host::lastDriverError(printer.number);
    why = "[" + std::to_string(error.code) + "] " + error.message;
  }
  NyPrClosePrinter(index);
  return fed;
}

void identifyPrinter(pappl_printer_t* p, pappl_identify_actions_t, const char* message) {
  if (message && *message) papplLogPrinter(p, PAPPL_LOGLEVEL_INFO, "Identify: %s", message);
  const auto printer = app().registry.find(papplPrinterGetID(p));
  if (!printer) return;
  pappl_pr_driver_data_t data;
  papplPrinterGetDriverData(p, &data);
  // A status query holds the printer for a moment; a job holds it for long.
  std::unique_lock wire(printer->wire, std::defer_lock);
  for (int tries = 0; tries < kLockTries && !wire.try_lock(); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::string why;
  if (!wire.owns_lock()) {
    papplLogPrinter(p, PAPPL_LOGLEVEL_INFO, "Identify: the printer is busy, no label fed.");
  } else if (feedOneLabel(*printer, data.media_ready[0], why)) {
    papplLogPrinter(p, PAPPL_LOGLEVEL_INFO, "Identify: one blank label fed.");
  } else {
    papplLogPrinter(p, PAPPL_LOGLEVEL_WARN, "Identify: no label fed: %s", why.c_str());
  }
}

void addKeywords(ipp_t* attrs, const char* name, std::initializer_list<const char*> values) {
  const std::vector<const char*> list(values);
  ippAddStrings(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, name, static_cast<int>(list.size()),
                nullptr, list.data());
}

}  // namespace

void addEverywhereAttributes(pappl_pr_driver_data_t* data, ipp_t** attrs) {
  data->identify_cb = identifyPrinter;
  data->identify_supported = PAPPL_IDENTIFY_ACTIONS_SOUND;
  data->identify_default = PAPPL_IDENTIFY_ACTIONS_SOUND;
  if (!attrs) return;
  if (!*attrs) *attrs = ippNew();
  ipp_t* a = *attrs;
  // No job attributes are suggested for a document: a label prints as its job asks.
  ippAddBoolean(a, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
  addKeywords(a, "overrides-supported", {"document-number", "pages"});
  // One ink, printed as sent: there is no colour to render.
  addKeywords(a, "print-rendering-intent-supported", {"auto"});
  addKeywords(a, "print-rendering-intent-default", {"auto"});
  // Labels are printed on one side only.
  addKeywords(a, "pwg-raster-document-sheet-back", {"normal"});
}

}  // namespace nypr::app
