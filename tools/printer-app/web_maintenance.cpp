#include "web_maintenance.h"

#include <algorithm>
#include <mutex>

#include "driver_text.h"
#include "label_job.h"
#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::app {

bool actionNamed(const std::string& name, Action& action) {
  if (name == "feed") {
    action = Action::Feed;
  } else if (name == "cut") {
    action = Action::Cut;
  } else if (name == "stop") {
    action = Action::Stop;
  } else {
    return false;
  }
  return true;
}

ActionResult runAction(AppPrinter& printer, Action action, bool jobsActive, int feedWidthTenths,
                       int feedLengthTenths) {
  ActionResult result;
  // A label on the wire, or a job about to send one, owns the printer: a feed or a cut now
  // would land between its labels. Cancelling the job stops the printer's job instead.
  std::unique_lock wire(printer.wire, std::try_to_lock);
  if (jobsActive || !wire.owns_lock()) {
    result.outcome = ActionResult::Outcome::Busy;
    return result;
  }
  host::HostRecords records;
  host::LabelJob label;
  label.printer = printer.number;
  // The driver refuses a label outside its limits with its own message.
  label.widthTenths = std::clamp(feedWidthTenths, 1, 9999);
  label.lengthTenths = std::clamp(feedLengthTenths, 1, 9999);
  host::fillRecords(records, label);
  const auto number = static_cast<uint8_t>(printer.number);
  const auto slot = static_cast<uint8_t>(printer.number - 1);
  bool done = NyPrInitPrinter(number, &records.job) == 0;
  if (done) {
    switch (action) {
      case Action::Feed:
        done = NyPrFeedLabel(number, &records.job) != 0;
        break;
      case Action::Cut:
        done = NyPrSendPrintAutoCut(slot) != 0;
        break;
      case Action::Stop:
        done = NyPrStopPrint(number) != 0;
        break;
    }
  }
  if (done) {
    result.outcome = ActionResult::Outcome::Done;
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
