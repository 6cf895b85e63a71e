#include "printer_dialog.h"

#include <cstdlib>

#include "core/slots.h"
#include "nyhost/nyhost_control.h"
#include "settings/printer_settings.h"
#include "status/printer_status.h"

namespace nypr::test {

void PrinterDialogTest::SetUp() {
  SimulatorTest::SetUp();
  CloseSlotSocketsFnV(0);
  stKtRSE[0] = PrinterSlot{};
  stKtRSE[0].skKT = platform::kInvalidSocket;
  stKtRSE[0].skFin = platform::kInvalidSocket;
  stKtRSE[0].dwLastError = kNoError;
  stKtRSE[0].CurKTRInfoST.PrinterNoUB = 0;
  ASSERT_TRUE(ReadPrinterSettingsFnBL(&stKtRSE[0].CurKTRInfoST));
  nyhostSetConfirmHandler(
      [](void* user, NyHwnd, uint32_t id, const char* text, uint32_t style) {
        auto* self = static_cast<PrinterDialogTest*>(user);
        self->questions_.push_back({id, text != nullptr ? text : "", style});
        if (style == 2) return 1;
        if (self->answers_.empty()) return 6;
        int answer = self->answers_.front();
        self->answers_.pop_front();
        return answer;
      },
      this);
  job_.lpLabelFormat = &label_;
  job_.lpPrintCond = &conditions_;
  conditions_.PrinterNoUB = 1;
  context_ = SetupCtxST{0, nullptr, &job_};
}

void PrinterDialogTest::TearDown() {
  platform::clearDialogOperators();
  CloseSlotSocketsFnV(0);
  SimulatorTest::TearDown();
}

intptr_t PrinterDialogTest::open(const char* templateName, platform::DialogProc proc,
                                 platform::DialogOperator op) {
  platform::setDialogOperator(templateName, std::move(op));
  return platform::dialogBoxParam(templateName, nullptr, proc,
                                  reinterpret_cast<intptr_t>(&context_));
}

std::vector<std::string> payloads(const ktsim::Simulator& sim, const std::string& code) {
  std::vector<std::string> out;
  for (const ktsim::FrameRecord& f : sim.receivedFrames(code)) out.push_back(f.payload());
  return out;
}

bool centredOver(NyHwnd child, NyHwnd owner) {
  int32_t c[4], o[4];
  if (!platform::getWindowRect(child, &c[0], &c[1], &c[2], &c[3]) ||
      !platform::getWindowRect(owner, &o[0], &o[1], &o[2], &o[3])) {
    return false;
  }
  return std::abs((c[0] + c[2]) - (o[0] + o[2])) <= 1 &&
         std::abs((c[1] + c[3]) - (o[1] + o[3])) <= 1;
}

ktsim::Fault fault(const char* code, ktsim::FaultAction action, int times) {
  ktsim::Fault f;
  f.code = code;
  f.action = action;
  f.times = times;
  return f;
}

}  // namespace nypr::test
