// What the hardware test dialog tests share: the dialog suites' printer, opened with the
// module's texts and no host job, and the clock the tests move (FakeClock).
#pragma once

#include <cstdint>
#include <string>

#include "core/slots.h"
#include "driver/module_entry.h"
#include "fake_clock.h"
#include "printer_dialog.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "ui/dialog_procs.h"

namespace nypr::test {

class TestDialogTest : public PrinterDialogTest {
 protected:
  void SetUp() override {
    PrinterDialogTest::SetUp();
    moduleAttach();  // the host reaches the module's texts through its registration
    stKtRSE[0].dwError = static_cast<int32_t>(kNoError);
    context_.lpPrintJob = nullptr;
  }
  void TearDown() override {
    g_TestPrintFlag = 0;
    stKtRSE[0].AutoPeelUB = 0;
    PrinterDialogTest::TearDown();
  }

  // Opens `templateName` with `proc` as the maintenance dialog does and hands it to `op`.
  intptr_t open(const char* templateName, platform::DialogProc proc, platform::DialogOperator op) {
    bool operated = false;
    const intptr_t result =
        PrinterDialogTest::open(templateName, proc, [&](platform::OperatedDialog& d) {
          operated = true;
          op(d);
        });
    EXPECT_TRUE(operated) << templateName << " was not operated";
    return result;
  }

  // Module text `id` in CP932, as the dialogs show it.
  static std::string text(uint32_t id) { return moduleStringCp932(id); }
};

}  // namespace nypr::test
