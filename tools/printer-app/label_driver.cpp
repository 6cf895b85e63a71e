// Driver "kt3600r": the printer's capabilities for IPP Everywhere and the raster callbacks
// that hand each label to the module. One printer dot per pixel: the head has 12 dots/mm,
// advertised as 305 dpi so that an 80 mm label is 960 pixels wide (at 300 dpi it would
// be 944 and every full-width design would be rescaled).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app.h"
#include "driver_reasons.h"
#include "driver_text.h"
#include "everywhere_attributes.h"
#include "job_options.h"
#include "label_job.h"
#include "printer_address.h"
#include "web_page.h"

namespace nypr::app {
namespace {

constexpr int kResolution = 305;

// Sizes in millimetres; any size between the custom limits is taken as well. The custom
// limits reach beyond the printer's 80 mm and 833 mm so that such a label comes to the
// driver, which refuses it with its own message (PAPPL would crop a raster page wider
// than the media without a word).
constexpr struct {
  int width, length;
} kSizes[] = {{30, 30}, {40, 30}, {50, 30}, {60, 40}, {80, 50}, {80, 100}, {80, 150}};
constexpr int kMinSide = 30;
constexpr int kMaxWidth = 104;  // 4 in, the widest label roll clients offer
constexpr int kMaxLength = 1000;

struct JobData {
  std::shared_ptr<AppPrinter> printer;
  int widthDots = 0;
  int heightDots = 0;
  int stride = 0;
  std::vector<uint8_t> dots;  // 1 bit per dot, set = printed
  std::set<unsigned> pagesPrinted;
  int labelsBefore = 0;  // labels of earlier pages of this job
  bool stopped = false;  // the printer's job was stopped on cancel
  LabelConditions conditions;
  bool darknessLogged = false;
};

// PAPPL counts an impression for each copy it renders; the count shown follows the
// printer's finish reports instead.
void showImpressions(pappl_job_t* job, int labels) {
  papplJobSetImpressionsCompleted(job, labels - papplJobGetImpressionsCompleted(job));
}

JobData* jobData(pappl_job_t* job) {
  return static_cast<JobData*>(papplJobGetData(job));
}

// Ends the job's use of the printer: PAPPL calls no end of job after a failed callback,
// so each failure ends it here.
void finishJob(pappl_job_t* job, bool ok) {
  JobData* data = jobData(job);
  if (!data) return;
  showImpressions(job, data->labelsBefore);
  if (data->printer) (ok ? data->printer->jobsCompleted : data->printer->jobsAborted)++;
  papplJobSetData(job, nullptr);
  delete data;
}

bool fail(pappl_job_t* job) {
  finishJob(job, false);
  return false;
}

// PAPPL 1.3 reads PNG pictures of 1, 2 or 4 bits per grey pixel as all black: such a
// label would print as one black block, so it is refused instead.
bool isShallowGreyPng(pappl_job_t* job) {
  const char* format = papplJobGetFormat(job);
  if (!format || std::strcmp(format, "image/png") != 0) return false;
  FILE* file = std::fopen(papplJobGetFilename(job), "rb");
  if (!file) return false;
  unsigned char header[26] = {};
  const size_t got = std::fread(header, 1, sizeof header, file);
  std::fclose(file);
  // Signature (8), IHDR length and type (8), width, height, bit depth (24), colour type (25).
  return got == sizeof header && std::memcmp(header + 12, "IHDR", 4) == 0 && header[25] == 0 &&
         header[24] < 8;
}

bool startJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*) {
  watchTermination();
  auto data = new JobData;
  papplJobSetData(job, data);
  if (isShallowGreyPng(job)) {
    papplJobSetMessage(job, "PNG pictures of fewer than 8 bits per grey pixel are not supported.");
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR,
                "PNG pictures of fewer than 8 bits per grey pixel are not supported.");
    return fail(job);
  }
  data->printer = app().registry.find(papplPrinterGetID(papplJobGetPrinter(job)));
  if (!data->printer) {
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The printer has no module printer number.");
    return fail(job);
  }
  pappl_pr_driver_data_t driver;
  papplPrinterGetDriverData(papplJobGetPrinter(job), &driver);
  std::string error;
  if (!jobConditions(*options, driver.mode_configured, data->conditions, error)) {
    papplJobSetMessage(job, "%s", error.c_str());
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", error.c_str());
    return fail(job);
  }
  return true;
}

// A label waiting at the peeler shows in the printer's state (PAPPL has no
// output-area-full: other) and in the job's message until it is taken.
void showPeeler(pappl_job_t* job, AppPrinter& printer, bool waiting, const std::string& message) {
  bool have = false;
  uint32_t lastError = 0;
  host::PrinterStatus status = printer.lastStatus(have, lastError);
  status.answered = true;  // it reports its labels
  if (waiting) {
    status.reasons |= host::kReasonOutputAreaFull;
  } else {
    status.reasons &= ~static_cast<uint32_t>(host::kReasonOutputAreaFull);
  }
  printer.setStatus(status);
  pappl_printer_t* p = papplJobGetPrinter(job);
  if (waiting) {
    papplPrinterSetReasons(p, PAPPL_PREASON_OTHER, PAPPL_PREASON_NONE);
    papplJobSetMessage(job, "A label waits at the peeler: %s", message.c_str());
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "A label waits at the peeler: %s", message.c_str());
  } else {
    papplPrinterSetReasons(p, PAPPL_PREASON_NONE, PAPPL_PREASON_OTHER);
    papplJobSetMessage(job, "The label was taken.");
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "The label was taken from the peeler.");
  }
}

// Darkness above the printer's contrast limit at the job's speed is sent at the limit;
// the log says so once per job.
void noteDarkness(pappl_job_t* job, JobData& data, const host::LabelJob& label) {
  if (label.darkness <= 0 || data.darknessLogged) return;
  const auto speed = static_cast<uint16_t>(label.speed > 0 ? label.speed : 100);
  const uint16_t sent = host::darknessFor(label.printer, label.darkness, speed);
  if (sent >= label.darkness) return;
  data.darknessLogged = true;
  papplLogJob(job, PAPPL_LOGLEVEL_INFO,
              "Darkness %d is above the printer's contrast limit %u at %u mm/s: %u is sent.",
              label.darkness, sent, speed, sent);
}

bool startPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned page) {
  JobData* data = jobData(job);
  if (!data) return false;
  showImpressions(job, data->labelsBefore);
  const cups_page_header2_t& h = options->header;
  if (h.cupsBitsPerPixel != 1 && h.cupsBitsPerPixel != 8) {
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Unsupported raster of %u bits per pixel.",
                h.cupsBitsPerPixel);
    return fail(job);
  }
  if (data->pagesPrinted.count(page) != 0) return true;  // a copy PAPPL renders again
  data->widthDots = static_cast<int>(h.cupsWidth);
  data->heightDots = static_cast<int>(h.cupsHeight);
  // The label is as long as its media: a few rows that 305 dpi adds to a long label
  // (12 dots/mm is 304.8 dpi) are not sent.
  if (options->media.size_length > 0) {
    const int mediaRows = (options->media.size_length * 12 + 50) / 100;
    if (mediaRows < data->heightDots) data->heightDots = mediaRows;
  }
  if (data->widthDots <= 0 || data->heightDots <= 0 || data->widthDots > 65535 ||
      data->heightDots > 65535) {
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Unsupported page size %ux%u.", h.cupsWidth,
                h.cupsHeight);
    return fail(job);
  }
  data->stride = (data->widthDots + 7) / 8;
  data->dots.assign(static_cast<size_t>(data->stride) * static_cast<size_t>(data->heightDots), 0);
  return true;
}

bool writeLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned y,
               const unsigned char* line) {
  JobData* data = jobData(job);
  if (!data) return false;
  if (data->dots.empty() || y >= static_cast<unsigned>(data->heightDots)) return true;
  const cups_page_header2_t& h = options->header;
  uint8_t* out = data->dots.data() + static_cast<size_t>(y) * static_cast<size_t>(data->stride);
  if (h.cupsBitsPerPixel == 1) {
    const size_t bytes = std::min<size_t>(h.cupsBytesPerLine, static_cast<size_t>(data->stride));
    const bool black = h.cupsColorSpace == CUPS_CSPACE_K;  // else 1 = white
    for (size_t i = 0; i < bytes; ++i) out[i] = black ? line[i] : static_cast<uint8_t>(~line[i]);
  } else {
    const bool black = h.cupsColorSpace == CUPS_CSPACE_K;
    const int width = std::min<int>(data->widthDots, static_cast<int>(h.cupsBytesPerLine));
    for (int x = 0; x < width; ++x) {
      const bool dot = black ? line[x] >= 128 : line[x] < 128;
      if (dot) out[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return true;
}

constexpr int kHoldSeconds = 3600;  // the longest a job waits for its printer

// Faults the printer recovers from when someone attends to it.
bool isHoldable(uint32_t code) {
  if (code == 0) return false;
  const host::JobOutcome outcome = host::driverResult(code).outcome;
  return outcome == host::JobOutcome::Hold || outcome == host::JobOutcome::Retry;
}

// Reads the printer's status about once a second until it can print (true), the job is
// cancelled, the application shuts down or the hold time runs out (false). The job holds
// the printer's lock, so the status shown comes from here meanwhile.
bool waitFor(pappl_job_t* job, const std::function<bool()>& ready) {
  for (int tenths = 0; tenths < kHoldSeconds * 10; ++tenths) {
    if (papplJobIsCanceled(job) || terminating()) return false;
    if (tenths % 10 == 0 && ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The printer was not ready within %d s.", kHoldSeconds);
  return false;
}

bool waitForPrinter(pappl_job_t* job, AppPrinter& printer) {
  return waitFor(job, [&] {
    const host::PrinterStatus status = host::readPrinterStatus(printer.number);
    printer.setStatus(status);
    return status.answered && status.errorCode == 0;
  });
}

// A label left at the peeler: the status query does not see it (it asks without the
// job's peel condition), so the job's own ready check is asked again until it is taken.
bool waitForPeeler(pappl_job_t* job, AppPrinter& printer, const host::LabelJob& label) {
  const auto slot = static_cast<uint8_t>(printer.number - 1);
  const bool taken = waitFor(job, [&] {
    host::HostRecords records;
    host::fillRecords(records, label);
    const bool ready = NyPrInitPrinter(static_cast<uint8_t>(printer.number), &records.job) == 0 &&
                       NyPrIsPrintReady(slot, 1) != 0;
    NyPrClosePrinter(slot);
    return ready;
  });
  if (taken) showPeeler(job, printer, false, {});
  return taken;
}

bool endPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned page) {
  JobData* data = jobData(job);
  if (!data) return false;
  if (data->pagesPrinted.count(page) != 0) {
    showImpressions(job, data->labelsBefore);
    return true;
  }
  data->pagesPrinted.insert(page);
  AppPrinter& printer = *data->printer;
  host::LabelJob label;
  label.printer = printer.number;
  label.widthDots = data->widthDots;
  label.heightDots = data->heightDots;
  label.stride = data->stride;
  label.dots = data->dots.data();
  label.copies = options->copies > 0 ? options->copies : 1;
  applyConditions(data->conditions, label);
  host::JobEvents events;
  events.cancelled = [job] { return papplJobIsCanceled(job); };
  events.sending = [&](int) { noteDarkness(job, *data, label); };
  events.peeler = [&](bool waiting, const std::string& message) {
    showPeeler(job, printer, waiting, message);
  };
  int base = data->labelsBefore;  // labels of this job before the running print command
  int reported = 0;
  events.progress = [&](int issued) {
    printer.labelsPrinted += static_cast<uint64_t>(issued - reported);
    reported = issued;
    showImpressions(job, base + issued);
  };
  const int copies = label.copies;
  int done = 0;  // of this page's copies
  // The printer's lock is held only while the label is on the wire (and while the job waits
  // for the printer): PAPPL may leave a cancelled job without ending it.
  std::lock_guard wire(printer.wire);
  host::JobResult result = host::runLabelJob(label, events);
  // A printer fault (head open, labels out, no answer...) holds the job; it goes on with the
  // copies not yet issued once the printer is ready again.
  while (result.outcome == host::JobResult::Outcome::Failed && isHoldable(result.errorCode) &&
         !papplJobIsCanceled(job)) {
    done += result.issued;
    base += result.issued;
    reported = 0;
    printer.noteError(result.errorCode);
    const bool atPeeler =
        host::driverResult(result.errorCode).reason == host::kReasonOutputAreaFull;
    if (atPeeler) {
      showPeeler(job, printer, true, result.message);
    } else {
      papplJobSetMessage(job, "[%u] %s", result.errorCode, result.message.c_str());
      papplLogJob(job, PAPPL_LOGLEVEL_WARN, "[%u] %s: the job waits for the printer.",
                  result.errorCode, result.message.c_str());
    }
    if (done >= copies) break;
    if (!(atPeeler ? waitForPeeler(job, printer, label) : waitForPrinter(job, printer))) break;
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "The printer is ready: %d labels to go.", copies - done);
    label.copies = copies - done;
    result = host::runLabelJob(label, events);
  }
  data->labelsBefore = base + result.issued;
  showImpressions(job, data->labelsBefore);
  if (result.outcome == host::JobResult::Outcome::Failed && done + result.issued >= copies &&
      isHoldable(result.errorCode)) {
    return true;  // every label was issued before the fault
  }
  switch (result.outcome) {
    case host::JobResult::Outcome::Completed:
      return true;
    case host::JobResult::Outcome::Stopped:
      papplLogJob(job, PAPPL_LOGLEVEL_INFO, "The printer's job was stopped after %d labels.",
                  result.issued);
      data->stopped = true;
      return true;
    case host::JobResult::Outcome::Failed:
      break;
  }
  printer.noteError(result.errorCode);
  if (result.errorCode != 0) {
    papplJobSetMessage(job, "[%u] %s", result.errorCode, result.message.c_str());
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "[%u] %s", result.errorCode, result.message.c_str());
  } else {
    papplJobSetMessage(job, "%s", result.message.c_str());
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", result.message.c_str());
  }
  return fail(job);
}

// Cuts after the job's last label (label mode cutter-delayed).
bool cutAfterJob(pappl_job_t* job, AppPrinter& printer) {
  std::lock_guard wire(printer.wire);
  host::HostRecords records;
  records.printCond.PrinterNoUB = static_cast<uint8_t>(printer.number);
  const auto slot = static_cast<uint8_t>(printer.number - 1);
  const bool cut = NyPrInitPrinter(static_cast<uint8_t>(printer.number), &records.job) == 0 &&
                   NyPrSendPrintAutoCut(slot) != 0;
  const host::DriverError error = host::lastDriverError(printer.number);
  NyPrClosePrinter(slot);
  if (cut) return true;
  printer.noteError(error.code);
  papplJobSetMessage(job, "[%u] The printer did not cut: %s", error.code, error.message.c_str());
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "[%u] The printer did not cut: %s", error.code,
              error.message.c_str());
  return false;
}

bool endJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  JobData* data = jobData(job);
  if (!data) return false;
  const bool ok = !data->stopped && !papplJobIsCanceled(job);
  if (ok && data->conditions.cutAfterJob && data->printer && !cutAfterJob(job, *data->printer)) {
    return fail(job);
  }
  finishJob(job, ok);
  return true;
}

void fillDither(pappl_dither_t& dither) {
  // A fixed threshold: black and white pictures print dot for dot.
  for (auto& row : dither) std::memset(row, 127, sizeof row);
}

}  // namespace

std::optional<uint32_t> addressOfUri(const char* uri) {
  if (!uri) return std::nullopt;
  char scheme[32], userpass[256], host[256], resource[256];
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof scheme, userpass, sizeof userpass,
                      host, sizeof host, &port, resource, sizeof resource) < HTTP_URI_STATUS_OK) {
    return std::nullopt;
  }
  if (std::strcmp(scheme, "kt3600r") != 0) return std::nullopt;
  return host::parseIpv4(host);
}

bool driverCallback(pappl_system_t* system, const char* driverName, const char* deviceUri,
                    const char*, pappl_pr_driver_data_t* data, ipp_t** attrs, void*) {
  if (!driverName || std::strcmp(driverName, "kt3600r") != 0) return false;
  if (!addressOfUri(deviceUri)) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "'%s' is not a KT3600R device URI (kt3600r://a.b.c.d).",
             deviceUri ? deviceUri : "");
    return false;
  }
  if (app().registry.full()) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR,
             "This application already drives %d printers, the most it can: delete one before "
             "adding another.",
             kMaxPrinters);
    return false;
  }
  data->rstartjob_cb = startJob;
  data->rstartpage_cb = startPage;
  data->rwriteline_cb = writeLine;
  data->rendpage_cb = endPage;
  data->rendjob_cb = endJob;
  std::strncpy(data->make_and_model, "KT3600R", sizeof data->make_and_model - 1);
  data->kind = PAPPL_KIND_LABEL;
  data->has_supplies = true;
  data->ppm = 60;
  data->format = nullptr;
  fillDither(data->gdither);
  fillDither(data->pdither);
  data->color_supported = PAPPL_COLOR_MODE_MONOCHROME | PAPPL_COLOR_MODE_BI_LEVEL;
  data->color_default = PAPPL_COLOR_MODE_BI_LEVEL;
  data->raster_types = PAPPL_PWG_RASTER_TYPE_BLACK_1 | PAPPL_PWG_RASTER_TYPE_SGRAY_8;
  data->force_raster_type = PAPPL_PWG_RASTER_TYPE_BLACK_1;
  data->num_resolution = 1;
  data->x_resolution[0] = data->y_resolution[0] = kResolution;
  data->x_default = data->y_default = kResolution;
  data->borderless = true;
  data->left_right = 0;
  data->bottom_top = 0;
  data->scaling_default = PAPPL_SCALING_AUTO;  // a picture of the label's pixel size prints 1:1
  data->quality_default = IPP_QUALITY_NORMAL;
  data->orient_default = IPP_ORIENT_PORTRAIT;

  static std::vector<std::string> names;
  if (names.empty()) {
    char name[128];
    for (const auto& s : kSizes) {
      pwgFormatSizeName(name, sizeof name, "om", nullptr, s.width * 100, s.length * 100, "mm");
      names.emplace_back(name);
    }
    pwgFormatSizeName(name, sizeof name, "custom", "min", kMinSide * 100, kMinSide * 100, "mm");
    names.emplace_back(name);
    pwgFormatSizeName(name, sizeof name, "custom", "max", kMaxWidth * 100, kMaxLength * 100, "mm");
    names.emplace_back(name);
  }
  data->num_media = static_cast<int>(names.size());
  for (size_t i = 0; i < names.size(); ++i) data->media[i] = names[i].c_str();
  data->num_source = 1;
  data->source[0] = "main-roll";
  std::memset(&data->media_default, 0, sizeof data->media_default);
  std::strncpy(data->media_default.size_name, names[2].c_str(),
               sizeof data->media_default.size_name - 1);
  data->media_default.size_width = kSizes[2].width * 100;
  data->media_default.size_length = kSizes[2].length * 100;
  std::strncpy(data->media_default.source, "main-roll", sizeof data->media_default.source - 1);
  std::strncpy(data->media_default.type, kDirectThermal, sizeof data->media_default.type - 1);
  data->media_default.tracking = PAPPL_MEDIA_TRACKING_GAP;
  data->media_ready[0] = data->media_default;
  describeOptions(*data);
  addEverywhereAttributes(data, attrs);
  return true;
}

void abandonLabelJob(pappl_job_t* job) {
  finishJob(job, false);
}

void createCallback(pappl_printer_t* printer, void*) {
  const auto address = addressOfUri(papplPrinterGetDeviceURI(printer));
  if (!address) return;
  auto assigned = app().registry.assign(papplPrinterGetID(printer), *address);
  if (!assigned) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "No module printer number is free.");
    return;
  }
  // A printer new to its number starts from factory settings, not from those of the
  // printer that had the number before.
  if (!host::storePrinterAddress(assigned->number, *address, assigned->restored)) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "Unable to store the printer's address.");
  }
  papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "Module printer number %d, address %s.",
                  assigned->number, host::formatIpv4(*address).c_str());
  addPrinterPage(printer);
}

}  // namespace nypr::app
