// The sensor dialog: gap and mark sensor sensitivity with live readings, and the cutter's
// cut position. Sensor values live in the printer (GMS), nothing here goes to the INI file.
#include <cstdio>
#include <cstring>

#include "core/host_api.h"
#include "core/slots.h"
#include "driver/printing.h"
#include "link/aux_channel.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/frame.h"
#include "platform/ui.h"
#include "status/error_text.h"
#include "status/printer_status.h"
#include "ui/command_guard.h"
#include "ui/dialog_procs.h"
#include "ui/help_opener.h"

namespace nypr {
namespace {

using namespace platform;

constexpr char kTemplate[] = "DIALOG_SENSOR";
constexpr uintptr_t kRefreshTimer = 2;
constexpr uint32_t kRefreshFirstMs = 1;
constexpr uint32_t kRefreshMs = 1500;
constexpr uint32_t kRefreshAfterFailureMs = 15000;

// Controls.
enum : int {
  kGapReading = 6705,
  kMarkReading = 6706,
  kGapReference = 6703,
  kGapResistance = 6601,
  kGapSet = 6016,
  kGapPlus = 6502,
  kGapMinus = 6503,
  kGapManual = 6504,
  kGapAuto = 6505,
  kMarkReference = 6704,
  kMarkResistance = 6506,
  kMarkSet = 6017,
  kMarkPlus = 6507,
  kMarkMinus = 6508,
  kMarkManual = 6509,
  kMarkAuto = 6510,
  kCutDots = 6065,
  kCutMm = 6066,
  kCutCount = 6067,
  kCutResetPosition = 6068,
  kCutBack = 6069,
  kCutForward = 6070,
  kFeed = 6011,
  kHelp = 6012,
};

// Cut position operations of ShowCutPositionFnBL.
enum : int {
  kCutRead = 0,
  kCutMoveBack = 1,
  kCutMoveForward = 2,
  kCutReset = 3,
  kCutResetCount = 4
};

// GMS request and reply positions.
constexpr int kGmsRequestLen = 18;
constexpr int kGmsReplyLen = 21;
constexpr int kGmsMode = 8;
constexpr int kGmsSensor = 9;
constexpr int kGmsGapDetection = 10;
constexpr int kGmsGapReference = 11;
constexpr int kGmsGapTrim = 13;
constexpr int kGmsMarkDetection = 14;
constexpr int kGmsMarkReference = 15;
constexpr int kGmsMarkTrim = 17;
// Reply.
constexpr int kReplyGapResistance = 13;
constexpr int kReplyMarkDetection = 15;
constexpr int kReplyMarkReference = 16;
constexpr int kReplyMarkResistance = 18;

// The references travel as two digits.
constexpr int kReferenceMin = 0;
constexpr int kReferenceMax = 99;
constexpr uint32_t kGapReferenceName = 60619;
constexpr uint32_t kMarkReferenceName = 60620;

// CPS request and reply.
constexpr int kCpsRequestLen = 10;
constexpr int kCpsReplyLen = 35;
constexpr int kCpsDots = 17;
constexpr int kCpsSign = 21;
constexpr int kCpsMillimetres = 22;
constexpr int kCpsTenths = 26;
constexpr int kCpsCount = 27;

constexpr uint32_t kHelpContext = 849;

constexpr int kGapControls[] = {kGapReference, kGapResistance, kGapPlus,
                                kGapMinus,     kGapManual,     kGapAuto};
constexpr int kMarkControls[] = {kMarkReference, kMarkResistance, kMarkPlus,
                                 kMarkMinus,     kMarkManual,     kMarkAuto};

// The dialog is modal and there is one at a time.
SetupCtxST* g_sensorContext = nullptr;
// Commands of the open dialog still running (its timer waits for them).
CommandGuard g_commands;

PrintCondST* contextConditions() {
  if (g_sensorContext == nullptr || g_sensorContext->lpPrintJob == nullptr) return nullptr;
  return g_sensorContext->lpPrintJob->lpPrintCond;
}

// Two characters of a reply shown as the number they hold.
void showNumber(NyHwnd dialog, int id, const char* field, int width) {
  setDlgItemInt(dialog, id, KtReadNumber(field, width), false);
}

void showReadings(NyHwnd dialog, const char* block) {
  showNumber(dialog, kGapReading, block + 20, 3);
  showNumber(dialog, kMarkReading, block + 23, 3);
}

void showSensorSettings(NyHwnd dialog, const char* reply) {
  showNumber(dialog, kGapReference, reply + kGmsGapReference, 2);
  showNumber(dialog, kGapResistance, reply + kReplyGapResistance, 2);
  showNumber(dialog, kMarkReference, reply + kReplyMarkReference, 2);
  showNumber(dialog, kMarkResistance, reply + kReplyMarkResistance, 2);

  const bool gapManual = reply[kGmsGapDetection] != '0';
  checkRadioButton(dialog, kGapManual, kGapAuto, gapManual ? kGapManual : kGapAuto);
  const bool gapTrims = reply[kGmsGapDetection] == '1';
  enableDlgItem(dialog, kGapPlus, gapTrims);
  enableDlgItem(dialog, kGapMinus, gapTrims);

  const bool markManual = reply[kReplyMarkDetection] != '0';
  checkRadioButton(dialog, kMarkManual, kMarkAuto, markManual ? kMarkManual : kMarkAuto);
  const bool markTrims = reply[kReplyMarkDetection] == '1';
  enableDlgItem(dialog, kMarkPlus, markTrims);
  enableDlgItem(dialog, kMarkMinus, markTrims);

  // Only the sensor the printer detects with can be adjusted.
  if (reply[kGmsSensor] == '0') {
    for (int id : kMarkControls) enableDlgItem(dialog, id, false);
  } else {
    for (int id : kGapControls) enableDlgItem(dialog, id, false);
  }
}

void startRefresh(NyHwnd dialog, uint32_t ms) {
  setTimer(dialog, kRefreshTimer, ms);
}

// Opening, and again after every accepted change: everything is read anew from the
// printer, and its detection mode is aligned with the label's print conditions.
void initialise(NyHwnd dialog) {
  const uint8_t index = contextSlotIndex(g_sensorContext);
  LoadDialogItemsExFnV(kTemplate, dialog, kTextSection);
  CenterDialogFnV(dialog, g_sensorContext != nullptr ? g_sensorContext->hWndOwner : nullptr);
  ShowCutPositionFnBL(dialog, kCutRead, index);

  char block[kStatusBlockLen + 1] = {};
  if (!GetPrinterStatusFnBL(index, block)) {
    ShowPrinterErrorFnI(focusWindow(), index);
    startRefresh(dialog, kRefreshMs);
    return;
  }
  showReadings(dialog, block);

  char request[kGmsRequestLen + 1] = {};
  char reply[kGmsReplyLen + 1] = {};
  std::memset(request, '0', kGmsRequestLen);
  if (!KtGetGapMarkFnBL(index, request, reply)) {
    ShowPrinterErrorFnI(focusWindow(), index);
    startRefresh(dialog, kRefreshMs);
    return;
  }

  const PrintCondST* conditions = contextConditions();
  const bool markDetection =
      conditions != nullptr && (conditions->OptionFlagsUW & NYPR_COND_FLAG_2) != 0;
  std::memset(request, '0', kGmsRequestLen);
  request[kGmsMode] = '1';
  request[kGmsSensor] = markDetection ? '1' : '0';
  std::memcpy(request + kGmsGapDetection, reply + kGmsGapDetection, 3);
  std::memcpy(request + kGmsMarkDetection, reply + kReplyMarkDetection, 3);
  request[kGmsGapTrim] = '0';
  request[kGmsMarkTrim] = '0';
  char written[kGmsReplyLen + 1] = {};
  if (!KtGetGapMarkFnBL(index, request, written)) {
    ShowPrinterErrorFnI(focusWindow(), index);
    startRefresh(dialog, kRefreshMs);
    return;
  }
  showSensorSettings(dialog, written);
  startRefresh(dialog, kRefreshFirstMs);
}

void refresh(NyHwnd dialog) {
  killTimer(dialog, kRefreshTimer);
  const uint8_t index = contextSlotIndex(g_sensorContext);
  char block[kStatusBlockLen + 1] = {};
  if (GetPrinterStatusFnBL(index, block)) {
    showReadings(dialog, block);
    startRefresh(dialog, kRefreshMs);
  } else {
    ShowPrinterErrorFnI(focusWindow(), index);
    startRefresh(dialog, kRefreshAfterFailureMs);
  }
}

// The reference of a manual detection, as the user typed it; false (range message shown,
// focus on the edit) when it does not fit the two digits the printer takes.
bool readReference(NyHwnd dialog, int id, uint32_t nameId, int* value) {
  const int number = GetDlgItemIntFnSW(dialog, id, 1);
  if (number < kReferenceMin || number > kReferenceMax) {
    ShowParamRangeErrorFnV(nameId, kReferenceMin, kReferenceMax);
    setFocus(getDlgItem(dialog, id));
    return false;
  }
  *value = number;
  return true;
}

void sendSettings(NyHwnd dialog, int control) {
  killTimer(dialog, kRefreshTimer);
  const uint8_t index = contextSlotIndex(g_sensorContext);

  char request[kGmsRequestLen + 1] = {};
  std::memset(request, '0', kGmsRequestLen);
  request[kGmsMode] = '1';

  if (control == kGapManual || control == kGapAuto) {
    const bool manual = isDlgButtonChecked(dialog, kGapManual) != 0;
    enableDlgItem(dialog, kGapPlus, manual);
    enableDlgItem(dialog, kGapMinus, manual);
    request[kGmsSensor] = '0';
  } else if (control == kMarkManual || control == kMarkAuto) {
    const bool manual = isDlgButtonChecked(dialog, kMarkManual) != 0;
    enableDlgItem(dialog, kMarkPlus, manual);
    enableDlgItem(dialog, kMarkMinus, manual);
    request[kGmsSensor] = '1';
  }
  request[kGmsGapDetection] = isDlgButtonChecked(dialog, kGapAuto) != 0 ? '0' : '1';
  request[kGmsMarkDetection] = isDlgButtonChecked(dialog, kMarkAuto) != 0 ? '0' : '1';
  if (control == kGapSet) request[kGmsSensor] = '0';
  if (control == kMarkSet) request[kGmsSensor] = '1';

  request[kGmsGapTrim] = '0';
  request[kGmsMarkTrim] = '0';
  if (control == kGapPlus || control == kGapMinus) {
    request[kGmsSensor] = '0';
    request[kGmsGapTrim] = control == kGapPlus ? '+' : '-';
  } else if (control == kMarkPlus || control == kMarkMinus) {
    request[kGmsSensor] = '1';
    request[kGmsMarkTrim] = control == kMarkPlus ? '+' : '-';
  }

  int gapReference = 0;
  int markReference = 0;
  if (!readReference(dialog, kGapReference, kGapReferenceName, &gapReference) ||
      !readReference(dialog, kMarkReference, kMarkReferenceName, &markReference)) {
    startRefresh(dialog, kRefreshMs);
    return;
  }
  char digits[4];
  std::snprintf(digits, sizeof digits, "%02d", gapReference);
  std::memcpy(request + kGmsGapReference, digits, 2);
  std::snprintf(digits, sizeof digits, "%02d", markReference);
  std::memcpy(request + kGmsMarkReference, digits, 2);

  char reply[kGmsReplyLen + 1] = {};
  if (!KtGetGapMarkFnBL(index, request, reply)) {
    ShowPrinterErrorFnI(focusWindow(), index);
    startRefresh(dialog, kRefreshMs);
    return;
  }
  initialise(dialog);
}

// Moves or resets the cut position; the position shown becomes the auto cutter distance
// of the label's next print.
void moveCutPosition(NyHwnd dialog, int operation) {
  if (!ShowCutPositionFnBL(dialog, operation, contextSlotIndex(g_sensorContext))) return;
  PrintCondST* conditions = contextConditions();
  if (conditions == nullptr) return;
  bool translated = false;
  const int64_t dots = getDlgItemInt(dialog, kCutDots, &translated, false);
  if (translated) conditions->CutterDistUW = static_cast<uint16_t>(dots + 1);
}

void feed(NyHwnd /*dialog*/) {
  const uint8_t index = contextSlotIndex(g_sensorContext);
  PrintJobST* job = g_sensorContext != nullptr ? g_sensorContext->lpPrintJob : nullptr;
  if (feedLabel(static_cast<uint8_t>(index + 1), job) == 0) {
    ShowPrinterErrorFnI(focusWindow(), index);
  }
}

// The adjustment procedure in the host product's help file.
void showHelp(NyHwnd dialog) {
  OpenContextHelpFnBL(dialog, kHelpContext);
}

void close(NyHwnd dialog) {
  killTimer(dialog, kRefreshTimer);
  KT36R_CloseSocket(contextSlotIndex(g_sensorContext), 0);
  endDialog(dialog, 0);
}

}  // namespace

bool ShowCutPositionFnBL(NyHwnd dialog, int operation, uint8_t printerIndex) {
  if (!isValidSlotIndex(printerIndex)) return false;
  PrinterSlot* slot = &stKtRSE[printerIndex];
  char request[kCpsRequestLen + 1] = {};
  char reply[kCpsReplyLen + 1] = {};
  std::memset(request, '0', kCpsRequestLen);
  const char* data = "00";
  switch (operation) {
    case kCutMoveBack:
      data = "1+";
      break;
    case kCutMoveForward:
      data = "1-";
      break;
    case kCutReset:
      data = "20";
      break;
    case kCutResetCount:
      data = "30";
      break;
    default:
      break;
  }
  std::memcpy(request + 8, data, 2);
  if (!SE_GetCutPositionFnBL(slot, request, reply, kKindKt3600r)) {
    SE_ShowErrorFnI(focusWindow(), slot);
    return false;
  }
  setDlgItemInt(dialog, kCutDots, KtReadNumber(reply + kCpsDots, 4), false);
  char count[16];
  std::snprintf(count, sizeof count, "%d", KtReadNumber(reply + kCpsCount, 8));
  setDlgItemText(dialog, kCutCount, count);
  // A tenths place that is not a digit would not read as a length.
  const char tenths =
      reply[kCpsTenths] >= '0' && reply[kCpsTenths] <= '9' ? reply[kCpsTenths] : '0';
  char millimetres[16];
  std::snprintf(millimetres, sizeof millimetres, "%c%d.%c", reply[kCpsSign] == '1' ? '-' : ' ',
                KtReadNumber(reply + kCpsMillimetres, 4), tenths);
  setDlgItemText(dialog, kCutMm, millimetres);
  return true;
}

intptr_t NYPR_STDCALL SensorDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog:
      if (lParam != 0) g_sensorContext = reinterpret_cast<SetupCtxST*>(lParam);
      initialise(dialog);
      return 1;
    case kMsgTimer:
      if (wParam == kRefreshTimer && g_commands.idle()) refresh(dialog);
      return 0;
    case kMsgCommand: {
      const CommandGuard::Scope running(g_commands);
      switch (const int id = commandId(wParam)) {
        case kGapSet:
        case kMarkSet:
        case kGapPlus:
        case kGapMinus:
        case kMarkPlus:
        case kMarkMinus:
        case kGapManual:
        case kGapAuto:
        case kMarkManual:
        case kMarkAuto:
          sendSettings(dialog, id);
          return 1;
        case kCutBack:
          moveCutPosition(dialog, kCutMoveBack);
          return 1;
        case kCutForward:
          moveCutPosition(dialog, kCutMoveForward);
          return 1;
        case kCutResetPosition:
          moveCutPosition(dialog, kCutReset);
          return 1;
        case kFeed:
          feed(dialog);
          return 1;
        case kHelp:
          showHelp(dialog);
          return 1;
        case kIdCancel:
          close(dialog);
          return 1;
        default:
          return 0;
      }
    }
    default:
      return 0;
  }
}

}  // namespace nypr
