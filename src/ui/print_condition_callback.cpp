// The host's print-condition page, as this printer wants it: which options it offers,
// the sensor and cutter distances with their defaults, and the checks on confirmation.
#include "ui/print_condition_callback.h"

#include "core/host_api.h"
#include "core/slots.h"
#include "link/connection.h"
#include "platform/ui.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"
#include "status/printer_status.h"

namespace nypr {
namespace {

using namespace platform;

// Controls of the host's page that this printer cares about.
enum CondControl : int {
  kSpeed = 20701,
  kOption20702 = 20702,
  kOption20703 = 20703,
  kSensorOption = 20704,  // the sensor distances apply
  kCutOption = 20705,     // with 20525/20526
  kPeelOption = 20706,
  kAutoCutOption = 20707,
  kUnused20708 = 20708,
  kOption20709 = 20709,
  kOption20710 = 20710,
  kGapDistOn = 20711,
  kMarkDistOn = 20712,
  kAutoCutPart = 20713,
  kPrinterChoice = 20714,
  kRefresh = 20715,
  kWinderFirst = 20716,
  kWinderSecond = 20717,
  kWinderThird = 20718,
  kCutterDefault = 20731,
  kGapDefault = 20732,
  kMarkDefault = 20741,
  kCutterDist = 20107,
  kMarkDist = 20117,
  kGapDist = 20118,
  kGroup20505 = 20505,
  kCutFirst = 20525,
  kCutSecond = 20526,
};

// Shown distances, and the host's values (shown + 1) that go with them.
constexpr int kDefaultCutterDist = 305;
constexpr int kDefaultSensorDist = 548;
constexpr int kSensorDistMin = 240;
constexpr int kSensorDistMax = 1600;
constexpr int kCutterDistMax = 1200;
constexpr int kHostCutterMin = 1;
constexpr int kHostCutterMax = 9999;

constexpr int kPeelSpeedMax = 100;  // mm/s
constexpr uint32_t kErrPeelSpeed = 60414;

constexpr uint32_t kNameGapDist = 60606;
constexpr uint32_t kNameMarkDist = 60608;
constexpr uint32_t kNameCutterDist = 60657;

constexpr int kStatusBlockSize = 64;

bool ticked(NyHwnd dialog, int id) {
  return isDlgButtonChecked(dialog, id) == 1;
}

void enable(NyHwnd dialog, int id, bool on) {
  enableDlgItem(dialog, id, on);
}

// Cut (20705), peel (20706) and auto cut (20707) exclude one another, and peel needs the
// sensor option (20704). The page is first brought into a state that keeps this (the box
// just clicked wins; otherwise cut before peel before auto cut, the order in which the
// rules run), then every control is enabled from that one state, so that no rule can undo
// what another one closed. `clicked` is the box the user clicked, 0 for the whole page.
void enablingRules(NyHwnd dialog, int clicked) {
  if (!ticked(dialog, kSensorOption)) checkDlgButton(dialog, kPeelOption, 0);
  constexpr int kExclusive[] = {kCutOption, kPeelOption, kAutoCutOption};
  int kept = 0;
  for (int id : kExclusive) {
    if (id == clicked && ticked(dialog, id)) kept = id;
  }
  for (int id : kExclusive) {
    if (kept == 0 && ticked(dialog, id)) kept = id;
  }
  for (int id : kExclusive) {
    if (id != kept) checkDlgButton(dialog, id, 0);
  }

  const bool sensor = ticked(dialog, kSensorOption);
  const bool cut = kept == kCutOption;
  const bool peel = kept == kPeelOption;
  const bool autoCut = kept == kAutoCutOption;
  enable(dialog, kCutOption, !peel && !autoCut);
  enable(dialog, kPeelOption, sensor && !cut && !autoCut);
  enable(dialog, kAutoCutOption, !cut && !peel);
  enable(dialog, kGapDistOn, sensor);
  enable(dialog, kMarkDistOn, sensor);
  enable(dialog, kGapDist, sensor && ticked(dialog, kGapDistOn));
  enable(dialog, kMarkDist, sensor && ticked(dialog, kMarkDistOn));
  for (int id : {kOption20703, kAutoCutPart, kCutterDist}) enable(dialog, id, autoCut);
  if (cut) {
    if (clicked == 0 || clicked == kCutOption) {
      checkRadioButton(dialog, kCutFirst, kCutSecond, kCutFirst);
    }
  } else {
    enable(dialog, kCutFirst, false);
    enable(dialog, kCutSecond, false);
    enable(dialog, kWinderSecond, true);
    enable(dialog, kWinderThird, true);
  }
}

// Winding options 20717/20718 only exist on printers set up for them (field 49).
void windRule(NyHwnd dialog, uint8_t index) {
  if (!ticked(dialog, kCutOption)) return;
  const bool allowed = settingsFieldText(index, kFieldForcedWinder) == "1";
  enable(dialog, kWinderSecond, allowed);
  enable(dialog, kWinderThird, allowed);
  if (!allowed && !ticked(dialog, kWinderFirst)) {
    checkRadioButton(dialog, kWinderFirst, kWinderThird, kWinderFirst);
  }
}

void enableGroups(NyHwnd dialog) {
  for (int id : {kSensorOption, kCutOption, kPeelOption, kAutoCutOption, kSpeed, kOption20702,
                 kOption20709, kOption20710, kGroup20505, kRefresh}) {
    enable(dialog, id, true);
  }
  enable(dialog, kUnused20708, false);
}

uint8_t slotOf(const CondDlgCtxST& ctx) {
  return slotFromPrinterNo(ctx.lpPrintCond->PrinterNoUB);
}

// Takes this printer's settings and the label's position adjustment into its slot.
void loadSettings(const CondDlgCtxST& ctx, uint8_t index) {
  KtrInfo& info = stKtRSE[index].CurKTRInfoST;
  info.PrinterNoUB = index;
  ReadPrinterSettingsFnBL(&info);
  ApplyHostPosAdjustFnV(index, ctx.lpLabelFormat);
}

// A host distance the printer can use is shown as it is; anything else becomes the
// printer's default, in the dialog and in the host's record.
void showDistance(NyHwnd dialog, int id, uint16_t& hostValue, int minimum, int maximum,
                  int fallback) {
  if (hostValue >= minimum && hostValue <= maximum) {
    setDlgItemInt(dialog, id, hostValue - 1, true);
  } else {
    setDlgItemInt(dialog, id, fallback, true);
    hostValue = static_cast<uint16_t>(fallback + 1);
  }
}

void resetDistances(NyHwnd dialog, PrintCondST& cond) {
  setDlgItemInt(dialog, kGapDist, kDefaultSensorDist, true);
  setDlgItemInt(dialog, kMarkDist, kDefaultSensorDist, true);
  setDlgItemInt(dialog, kCutterDist, kDefaultCutterDist, true);
  cond.GapDistUW = kDefaultSensorDist + 1;
  cond.MarkDistUW = kDefaultSensorDist + 1;
  cond.CutterDistUW = kDefaultCutterDist + 1;
}

int32_t onInit(NyHwnd dialog, CondDlgCtxST& ctx) {
  if (ctx.bHostInit == 0) return kCondNotHandled;
  PrintCondST& cond = *ctx.lpPrintCond;
  const uint8_t index = slotOf(ctx);
  loadSettings(ctx, index);
  enableGroups(dialog);
  enablingRules(dialog, 0);
  showDistance(dialog, kGapDist, cond.GapDistUW, kSensorDistMin, kSensorDistMax,
               kDefaultSensorDist);
  showDistance(dialog, kMarkDist, cond.MarkDistUW, kSensorDistMin, kSensorDistMax,
               kDefaultSensorDist);
  showDistance(dialog, kCutterDist, cond.CutterDistUW, kHostCutterMin, kHostCutterMax,
               kDefaultCutterDist);
  enable(dialog, kGroup20505, true);
  enable(dialog, kUnused20708, false);
  showDlgItem(dialog, kUnused20708, false);
  setDlgItemInt(dialog, kCutterDefault, kDefaultCutterDist, true);
  setDlgItemInt(dialog, kGapDefault, kDefaultSensorDist, true);
  setDlgItemInt(dialog, kMarkDefault, kDefaultSensorDist, true);
  windRule(dialog, index);
  enablingRules(dialog, 0);
  ctx.bHandled = 1;
  return kCondNotHandled;
}

// The slot's error code only carries the message to the error box.
void showError(NyHwnd dialog, uint8_t index, uint32_t code) {
  stKtRSE[index].dwLastError = code;
  ShowPrinterErrorFnI(dialog, index);
  stKtRSE[index].dwLastError = kNoError;
}

struct DistanceCheck {
  int control;
  int minimum;
  int maximum;
  uint32_t nameId;
  int field;
};

constexpr DistanceCheck kDistanceChecks[] = {
    {kGapDist, kSensorDistMin, kSensorDistMax, kNameGapDist, kFieldGapSensorDist},
    {kMarkDist, kSensorDistMin, kSensorDistMax, kNameMarkDist, kFieldMarkSensorDist},
    {kCutterDist, 0, kCutterDistMax, kNameCutterDist, kFieldAutoCutterDist},
};

int32_t onConfirm(NyHwnd dialog, CondDlgCtxST& ctx) {
  const uint8_t index = slotOf(ctx);
  PrinterSlot& slot = stKtRSE[index];
  slot.dwLastError = kNoError;
  loadSettings(ctx, index);

  if (slot.CurKTRInfoST.IpAddrUL == 0) {
    showError(dialog, index, kErrNoAddress);
    ctx.bHandled = 1;
    return kCondHandled;
  }
  if (ticked(dialog, kPeelOption) && GetDlgItemIntFnSW(dialog, kSpeed, 1) > kPeelSpeedMax) {
    showError(dialog, index, kErrPeelSpeed);
    setFocus(getDlgItem(dialog, kSpeed));
    ctx.bHandled = 1;
    return kCondHandled;
  }
  // Each value is stored as soon as it passes; a later bad one leaves the earlier ones
  // changed in memory only (nothing is saved until all pass).
  for (const DistanceCheck& check : kDistanceChecks) {
    const int value = GetDlgItemIntFnSW(dialog, check.control, 1);
    if (value < check.minimum || value > check.maximum) {
      ShowParamRangeErrorFnV(check.nameId, check.minimum, check.maximum);
      setFocus(getDlgItem(dialog, check.control));
      return kCondOutOfRange;
    }
    setSettingsFieldInt(index, check.field, value);
  }

  WritePrinterSettingsFnV(&slot.CurKTRInfoST);
  char block[kStatusBlockSize] = {};
  const bool answered = GetPrinterStatusFnBL(index, block);
  KT36R_CloseSocket(index, 0);
  if (answered) return kCondNotHandled;
  if (slot.dwLastError == kErrWrongModel) {
    ctx.bHandled = 1;
    return kCondHandled;
  }
  return kCondNotHandled;
}

int32_t onCommand(NyHwnd dialog, int id, int code, CondDlgCtxST& ctx) {
  const bool hostInit = ctx.bHostInit != 0;
  switch (id) {
    case kSensorOption:
    case kCutOption:
    case kPeelOption:
    case kAutoCutOption:
    case kAutoCutPart:
      if (hostInit) return kCondNotHandled;
      enablingRules(dialog, id);
      if (id == kCutOption) windRule(dialog, slotOf(ctx));
      ctx.bHandled = 1;
      return kCondHandled;
    case kGapDistOn:
    case kMarkDistOn:
      enable(dialog, kGapDist, ticked(dialog, kGapDistOn));
      enable(dialog, kMarkDist, ticked(dialog, kMarkDistOn));
      return kCondNotHandled;
    case kPrinterChoice: {
      if (!hostInit || code != kCbnSelChange) return kCondNotHandled;
      // The host switched its page to this printer: start from the printer's defaults.
      const uint8_t index = slotOf(ctx);
      loadSettings(ctx, index);
      enableGroups(dialog);
      for (int off : {kOption20703, kAutoCutPart, kCutFirst, kCutSecond})
        enable(dialog, off, false);
      resetDistances(dialog, *ctx.lpPrintCond);
      enablingRules(dialog, 0);
      ctx.bHandled = 1;
      return kCondHandled;
    }
    case kRefresh: {
      if (!hostInit) return kCondNotHandled;
      const uint8_t index = slotOf(ctx);
      loadSettings(ctx, index);
      windRule(dialog, index);
      ctx.bHandled = 1;
      return kCondHandled;
    }
    case kIdOk:
      if (hostInit) return kCondNotHandled;
      return onConfirm(dialog, ctx);
    default:
      return kCondNotHandled;
  }
}

}  // namespace

int32_t PrintCondCallbackFnI(NyHwnd dialog, uint32_t message, uintptr_t wParam, CondDlgCtxST* ctx) {
  // Without its records the host's page cannot be worked on.
  if (ctx == nullptr || ctx->lpPrintCond == nullptr) return kCondNotHandled;
  switch (message) {
    case kMsgDestroy:
      return kCondNotHandled;
    case kMsgInitDialog:
      return onInit(dialog, *ctx);
    case kMsgCommand:
      return onCommand(dialog, commandId(wParam), commandCode(wParam), *ctx);
    default:
      return kCondNotHandled;
  }
}

}  // namespace nypr
