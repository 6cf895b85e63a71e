// The motor test: one button per winding motor, each press starts or stops its motor.
#include <cstdint>

#include "core/host_api.h"
#include "core/slots.h"
#include "discovery/setup_context.h"
#include "link/commands.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "status/error_text.h"
#include "ui/dialog_procs.h"

namespace nypr {
namespace {

using namespace platform;

constexpr char kTemplate[] = "DIALOG_MOTO_TEST";

constexpr int kInnerMotorButton = 6013;
constexpr int kOuterMotorButton = 6014;

// The printer's motor numbers and what a press asks of it.
constexpr int kInnerMotor = 1;
constexpr int kOuterMotor = 2;
constexpr int kActionStart = 1;
constexpr int kActionStop = 2;

struct MotorButton {
  int controlId;
  int motor;
  uint32_t startText;
  uint32_t stopText;
};

constexpr MotorButton kMotors[] = {
    {kInnerMotorButton, kInnerMotor, 60027, 60028},
    {kOuterMotorButton, kOuterMotor, 60029, 60030},
};

SetupCtxST* g_motorContext = nullptr;
// Per motor: 1 = the next press starts it, 0 = the next press stops it. The printer's
// real motor state is not asked for: every opening starts from "start".
int g_motorToggle[2] = {1, 1};

void pressMotor(NyHwnd dialog, size_t which) {
  const MotorButton& button = kMotors[which];
  int& toggle = g_motorToggle[which];
  const bool starting = toggle == 1;
  const uint8_t slot = contextSlotIndex(g_motorContext);
  if (!KtMotorTestFnBL(slot, button.motor, starting ? kActionStart : kActionStop)) {
    ShowPrinterErrorFnI(dialog, slot);
    return;
  }
  const uint32_t text = starting ? button.stopText : button.startText;
  setDlgItemText(dialog, button.controlId, moduleStringCp932(text).c_str());
  toggle = starting ? 0 : 1;
}

}  // namespace

intptr_t NYPR_STDCALL MotorTestDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog:
      LoadDialogItemsExFnV(kTemplate, dialog, kTextSection);
      g_motorContext = reinterpret_cast<SetupCtxST*>(lParam);
      CenterDialogFnV(dialog, g_motorContext != nullptr ? g_motorContext->hWndOwner : nullptr);
      for (size_t i = 0; i < 2; ++i) {
        setDlgItemText(dialog, kMotors[i].controlId,
                       moduleStringCp932(kMotors[i].startText).c_str());
        g_motorToggle[i] = 1;
      }
      return 1;
    case kMsgDestroy:
      g_motorContext = nullptr;
      return 0;
    case kMsgCommand:
      switch (commandId(wParam)) {
        case kInnerMotorButton:
          pressMotor(dialog, 0);
          return 1;
        case kOuterMotorButton:
          pressMotor(dialog, 1);
          return 1;
        case kIdCancel:
          endDialog(dialog, 0);
          return 1;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

}  // namespace nypr
