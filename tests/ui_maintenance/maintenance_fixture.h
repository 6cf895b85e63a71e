// What the maintenance and high-level dialog tests share: the dialog suites' printer with a
// host job, and readers for the stored settings line.
#pragma once

#include <cstdint>
#include <string>

#include "../print/print_fixture.h"
#include "printer_dialog.h"
#include "ui/dialog_procs.h"

namespace nypr::test {

class MaintenanceTest : public PrinterDialogTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the maintenance (or high-level) dialog for printer 1 with `op` operating it.
  intptr_t openMaintenance(platform::DialogOperator op) {
    return open("DIALOG_MAINTENANCE", MaintenanceDlgProc, std::move(op));
  }
  intptr_t openHighLevel(platform::DialogOperator op) {
    return open("DIALOG_HIGHLEVEL", HighLevelDlgProc, std::move(op));
  }

  // The stored settings line of printer 1 and one field of it ("" when the line is short).
  std::string settingsLine();
  std::string storedField(int field);
  // The field as it is in memory.
  std::string memoryField(int field);
  // The range message as the user reads it, CP932.
  static std::string rangeMessage(const std::string& nameUtf8, int minimum, int maximum);
  std::string lastMessage() const { return messages_.empty() ? "" : messages_.back().text; }
  // The texts an opening dialog shows of the default record, against the recorded ones
  // (tests/data/ui_maintenance/opening_texts.txt).
  static void expectOpeningTexts(platform::OperatedDialog& d);

  Job hostJob_{500, 100};
  LabelBitmap bitmap_{600, 120};
  FakeClock clock_;
};

}  // namespace nypr::test
