#include "web_maintenance.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "driver_text.h"
#include "label_job.h"
#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::app {
namespace {

constexpr int kMaxListedDots = 50;  // as many as the printer's answer has room for
// A status query to a printer that does not answer: its connect and receive time-outs.
constexpr auto kStatusQueryWait = std::chrono::seconds(12);

// A form value of 1 to 4 decimal digits within [low, high]; `absent` when not given.
bool number(const char* text, int low, int high, int absent, int& value) {
  if (!text) {
    value = absent;
    return true;
  }
  const size_t length = std::strlen(text);
  if (length == 0 || length > 4) return false;
  int v = 0;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  if (v < low || v > high) return false;
  value = v;
  return true;
}

}  // namespace

bool parseRequest(const char* (*get)(const char* name, void* form), void* form,
                  ActionRequest& request) {
  static const struct {
    const char* name;
    Action action;
  } kActions[] = {{"feed", Action::Feed},
                  {"cut", Action::Cut},
                  {"stop", Action::Stop},
                  {"test-print", Action::TestPrint},
                  {"head-check", Action::HeadCheck}};
  const char* name = get("action", form);
  const auto* found = std::find_if(std::begin(kActions), std::end(kActions), [&](const auto& a) {
    return name && std::strcmp(name, a.name) == 0;
  });
  if (found == std::end(kActions)) return false;
  request.action = found->action;
  if (request.action == Action::TestPrint) {
    return number(get("pattern", form), 0, 6, 0, request.pattern) &&
           number(get("position", form), 0, 3, 0, request.position) &&
           number(get("labels", form), 1, 9999, 1, request.labels);
  }
  if (request.action == Action::HeadCheck) {
    return number(get("first", form), 1, 960, 1, request.firstDot) &&
           number(get("last", form), 1, 960, 960, request.lastDot);
  }
  return true;
}

ActionResult runAction(AppPrinter& printer, const ActionRequest& request, bool jobsActive) {
  ActionResult result;
  // A label on the wire, or a job about to send one, owns the printer: a feed or a cut now
  // would land between its labels. Cancelling the job stops the printer's job instead.
  // A status query holds the printer only for a moment: the action waits for it, within what
  // a query to a silent printer takes, but never for a label.
  std::unique_lock wire(printer.wire, std::try_to_lock);
  const auto until = std::chrono::steady_clock::now() + kStatusQueryWait;
  while (!jobsActive && !wire.owns_lock() && std::chrono::steady_clock::now() < until) {
    const bool querying = printer.polling;
    if (querying) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    (void)wire.try_lock();
    if (!querying) break;
  }
  if (jobsActive || !wire.owns_lock()) {
    result.outcome = ActionResult::Outcome::Busy;
    return result;
  }
  host::HostRecords records;
  host::LabelJob label;
  label.printer = printer.number;
  // The driver refuses a label outside its limits with its own message.
  label.widthTenths = std::clamp(request.feedWidthTenths, 1, 9999);
  label.lengthTenths = std::clamp(request.feedLengthTenths, 1, 9999);
  label.gapTenths = 30;
  host::fillRecords(records, label);
  const auto number = static_cast<uint8_t>(printer.number);
  const auto slot = static_cast<uint8_t>(printer.number - 1);
  int32_t done = NyPrInitPrinter(number, &records.job) == 0 ? 1 : 0;
  if (done) {
    switch (request.action) {
      case Action::Feed:
        done = NyPrFeedLabel(number, &records.job);
        break;
      case Action::Cut:
        done = NyPrSendPrintAutoCut(slot);
        break;
      case Action::Stop:
        done = NyPrStopPrint(number);
        break;
      case Action::TestPrint:
        done = NyPrTestPrint(number, request.pattern, request.position, request.labels);
        break;
      case Action::HeadCheck: {
        int32_t count = 0;
        int32_t dots[kMaxListedDots] = {};
        done =
            NyPrHeadCheck(number, request.firstDot, request.lastDot, &count, dots, kMaxListedDots);
        result.brokenCount = count;
        result.brokenDots.assign(dots, dots + std::clamp(count, 0, kMaxListedDots));
        break;
      }
    }
  }
  if (done != 0) {
    result.outcome = done == 2 ? ActionResult::Outcome::StillPrinting : ActionResult::Outcome::Done;
  } else {
    const host::DriverError error = host::lastDriverError(printer.number);
    result.errorCode = error.code;
    result.message = error.message;
    if (error.code != 0) printer.noteError(error.code);
  }
  NyPrClosePrinter(slot);
  return result;
}

}  // namespace nypr::app
