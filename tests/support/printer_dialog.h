// What the dialog suites share: printer 1 on the simulator with its settings loaded as the
// setup dialog leaves them, dialogs opened over slot 0 as the maintenance and setup dialogs
// open them, and every question answered from a script and recorded.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "discovery/setup_context.h"
#include "host_fixture.h"
#include "nyprkt3600r/host_records.h"
#include "platform/ui.h"
#include "platform/ui_operator.h"

namespace nypr::test {

struct AskedQuestion {
  uint32_t id;       // host message id, 0 for the driver's own text
  std::string text;  // CP932, "" for a host text
  uint32_t style;
};

class PrinterDialogTest : public SimulatorTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens `templateName` with `proc` over `context_`, operated by `op`.
  intptr_t open(const char* templateName, platform::DialogProc proc, platform::DialogOperator op);

  // Answers of the next questions, in order (yes when the script is used up).
  std::deque<int> answers_;
  std::vector<AskedQuestion> questions_;

  LabelFormatST label_{};
  PrintCondST conditions_{};
  PrintJobST job_{};
  SetupCtxST context_{};
};

// Payloads of the frames the printer received with `code`.
std::vector<std::string> payloads(const ktsim::Simulator& sim, const std::string& code);

// Whether `child` stands centred over `owner` (to the pixel the halving rounds off).
bool centredOver(NyHwnd child, NyHwnd owner);

// A fault on every matching request `code`, `times` times (negative: for good).
ktsim::Fault fault(const char* code, ktsim::FaultAction action = ktsim::FaultAction::FailureFlag,
                   int times = 1);

}  // namespace nypr::test
