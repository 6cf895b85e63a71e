// What the maintenance and high-level dialog tests share: printer 1 on the simulator with
// its settings loaded as the setup dialog leaves them, a host job, recorded questions,
// and readers for the stored settings line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../print/print_fixture.h"
#include "platform/ui_operator.h"
#include "ui/dialog_procs.h"

namespace nypr::test {

struct AskedQuestion {
  uint32_t messageId;
  std::string text;  // CP932, "" for a host text
  uint32_t style;
};

class MaintenanceTest : public SimulatorTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the maintenance (or high-level) dialog for printer 1 with `op` operating it.
  intptr_t openMaintenance(platform::DialogOperator op);
  intptr_t openHighLevel(platform::DialogOperator op);

  // The stored settings line of printer 1 and one field of it ("" when the line is short).
  std::string settingsLine();
  std::string storedField(int field);
  // The field as it is in memory.
  std::string memoryField(int field);
  // The range message as the user reads it, CP932.
  static std::string rangeMessage(const std::string& nameUtf8, int minimum, int maximum);
  std::string lastMessage() const { return messages_.empty() ? "" : messages_.back().text; }

  Job job_{500, 100};
  LabelBitmap label_{600, 120};
  FakeClock clock_;
  std::vector<AskedQuestion> questions_;
  int answer_ = 6;  // yes
};

}  // namespace nypr::test
