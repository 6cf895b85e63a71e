// A simulated printer in slot 0 whose dialogs are opened as the maintenance and setup
// dialogs open them, with every question answered from a script.
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
  uint32_t id;
  std::string text;  // CP932, "" for a host text
  uint32_t style;
};

class PrinterDialogTest : public SimulatorTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens `templateName` with `proc` over the slot-0 context, operated by `op`.
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

}  // namespace nypr::test
