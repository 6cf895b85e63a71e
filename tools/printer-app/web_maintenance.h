// The maintenance actions of the printer's page: each one opens the printer through the
// module's exports, under the printer's lock, and never while the printer prints.
#pragma once

#include <memory>
#include <string>

#include "app_printers.h"

namespace nypr::app {

enum class Action { Feed, Cut, Stop };

// The action named by a form value ("feed", "cut", "stop"); false for any other.
bool actionNamed(const std::string& name, Action& action);

struct ActionResult {
  enum class Outcome { Done, Busy, Failed } outcome = Outcome::Failed;
  uint32_t errorCode = 0;  // the driver's code when failed
  std::string message;     // the driver's message (UTF-8) when failed
};

// Runs `action` on `printer` unless a label is on the wire or jobs are waiting
// (`jobsActive`): then Busy, and nothing reaches the printer. `feedWidthTenths` and
// `feedLengthTenths`: the label to feed, in 0.1 mm.
ActionResult runAction(AppPrinter& printer, Action action, bool jobsActive, int feedWidthTenths,
                       int feedLengthTenths);

}  // namespace nypr::app
