// What the hardware test dialog tests share: printer 1 on the simulator as the setup
// dialog leaves it, the dialogs opened as the maintenance dialog opens them, and a clock
// that the tests move.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/slots.h"
#include "driver/module_entry.h"
#include "host_fixture.h"
#include "link/connection.h"
#include "platform/clock.h"
#include "platform/ui_operator.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "ui/dialog_procs.h"

namespace nypr::test {

// Time that passes only when moved: `step` is added at every reading, so that loops which
// nobody sleeps in still see time go by.
class StepClock {
 public:
  StepClock() {
    hooks_ = {&StepClock::tick, &StepClock::sleep, this};
    platform::setClockForTesting(&hooks_);
  }
  ~StepClock() { platform::setClockForTesting(nullptr); }
  StepClock(const StepClock&) = delete;
  StepClock& operator=(const StepClock&) = delete;

  std::atomic<uint32_t> step{0};

 private:
  static uint32_t tick(void* user) {
    auto* self = static_cast<StepClock*>(user);
    return self->now_.fetch_add(self->step) + self->step;
  }
  static void sleep(void* user, uint32_t ms) { static_cast<StepClock*>(user)->now_ += ms; }

  std::atomic<uint32_t> now_{2000000};
  platform::ClockHooks hooks_{};
};

// A fault on every matching request `code`, `times` times (negative: for good).
inline ktsim::Fault fault(const char* code, ktsim::FaultAction action, int times = 1) {
  ktsim::Fault f;
  f.code = code;
  f.action = action;
  f.times = times;
  return f;
}

class TestDialogTest : public SimulatorTest {
 protected:
  void SetUp() override {
    SimulatorTest::SetUp();
    moduleAttach();  // the host reaches the module's texts through its registration
    PrinterSlot& slot = stKtRSE[0];
    slot.AutoPeelUB = 0;
    slot.dwLastError = kNoError;
    slot.dwError = static_cast<int32_t>(kNoError);
    // The setup dialog has loaded printer 1's connection record before any test dialog.
    slot.CurKTRInfoST.PrinterNoUB = 0;
    ASSERT_TRUE(ReadPrinterSettingsFnBL(&slot.CurKTRInfoST));
    ctx_ = SetupCtxST{0, nullptr, nullptr};
  }
  void TearDown() override {
    platform::clearDialogOperators();
    KT36R_CloseSocket(0, 0);
    KT36R_CloseSocket(0, 1);
    g_TestPrintFlag = 0;
    stKtRSE[0].AutoPeelUB = 0;
    SimulatorTest::TearDown();
  }

  // Opens `templateName` with `proc` as the maintenance dialog does and hands it to `op`.
  intptr_t open(const char* templateName, platform::DialogProc proc, platform::DialogOperator op) {
    bool operated = false;
    platform::setDialogOperator(templateName, [&](platform::OperatedDialog& d) {
      operated = true;
      op(d);
    });
    const intptr_t result =
        platform::dialogBoxParam(templateName, nullptr, proc, reinterpret_cast<intptr_t>(&ctx_));
    EXPECT_TRUE(operated) << templateName << " was not operated";
    return result;
  }

  // Module text `id` in CP932, as the dialogs show it.
  static std::string text(uint32_t id) { return moduleStringCp932(id); }
  const ShownMessage* lastMessage() const {
    return messages_.empty() ? nullptr : &messages_.back();
  }

  SetupCtxST ctx_{};
};

}  // namespace nypr::test
