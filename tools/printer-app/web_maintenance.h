// The maintenance actions of the printer's page: each one opens the printer through the
// module's exports, under the printer's lock, and never while the printer prints.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app_printers.h"

namespace nypr::app {

enum class Action { Feed, Cut, Stop, TestPrint, HeadCheck };

struct ActionRequest {
  Action action = Action::Feed;
  int feedWidthTenths = 0, feedLengthTenths = 0;  // the label fed, 0.1 mm
  int pattern = 0, position = 0, labels = 1;      // test print
  int firstDot = 1, lastDot = 960;                // head check
};

// The request a page form names (action=feed|cut|stop|test-print|head-check, with
// pattern 0..6, position 0..3, labels 1..9999, first and last 1..960); false for any
// other action or a value out of range. `get` gives a form field, null when absent.
bool parseRequest(const char* (*get)(const char* name, void* form), void* form,
                  ActionRequest& request);

struct ActionResult {
  enum class Outcome { Done, StillPrinting, Busy, Failed } outcome = Outcome::Failed;
  uint32_t errorCode = 0;  // the driver's code when failed
  std::string message;     // the driver's message (UTF-8) when failed
  int brokenCount = 0;     // head check: broken dots found
  std::vector<int> brokenDots;
};

// Runs the request on `printer` unless a label is on the wire or jobs are waiting
// (`jobsActive`): then Busy, and nothing reaches the printer.
ActionResult runAction(AppPrinter& printer, const ActionRequest& request, bool jobsActive);

}  // namespace nypr::app
