// The high-level parameter dialog: motor, feed, sensor-detection and thermal-transfer
// back-feed parameters of the printer, its body travel distance (shown and cleared), and
// a test feed or print. It changes the parameter record in memory only; the maintenance
// dialog's "設定" saves it.
#include <cstdio>
#include <cstring>
#include <span>
#include <string>

#include "core/host_api.h"
#include "core/slots.h"
#include "link/commands.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"
#include "ui/dialog_procs.h"
#include "ui/parameter_rows.h"

namespace nypr {
namespace {

using namespace platform;

constexpr char kTemplate[] = "DIALOG_HIGHLEVEL";

constexpr int kFeed = 6011;
constexpr int kPrint = 6012;
constexpr int kClearDistance = 6015;
constexpr int kForcedWinder = 6090;
constexpr int kCopies = 6009;
constexpr int kBodyDistance = 6607;
constexpr int kWideFirst = 6930;
constexpr int kWideLast = 6934;
constexpr int kNarrowFirst = 6935;
constexpr int kNarrowLast = 6939;
constexpr int kBackFeedOff = 6940;
constexpr int kBackFeedOn = 6941;

constexpr int kFieldReserved29 = 29;
constexpr int kFieldReserved30 = 30;
constexpr int kFieldWideWindTime = 47;
constexpr int kFieldNarrowWindTime = 48;
constexpr int kFieldBackFeedAdjust = 61;

constexpr uint32_t kClearQuestion = 60412;
constexpr uint32_t kCopiesName = 60655;

// Rows in the order they are checked and stored; the radio groups come between the
// second and the third part.
constexpr ParamRow kLeadRows[] = {
    {6766, 60623, 0, 300, 32}, {6759, 60624, 0, 300, 33}, {6765, 60627, 0, 300, 38},
    {6757, 60621, 1, 200, 28}, {6783, 60622, 0, 255, 31},
};
constexpr ParamRow kMiddleRows[] = {
    {6784, 60626, 0, 255, 36}, {6773, 60630, 1, 300, 41}, {6782, 60658, 1, 300, 35},
    {6786, 60659, 0, 999, 44}, {6787, 60660, 0, 999, 45}, {6920, 60661, 0, 99, 46},
};
constexpr ParamRow kTrailRows[] = {
    {6788, 60662, 600, 3000, 62}, {6789, 60663, 1, 999, 63},   {6768, 60631, 1, 255, 42},
    {6767, 60629, 1, 255, 40},    {6781, 60628, 0, 9999, 39},  {6785, 60625, 0, 255, 34},
    {6770, 60638, 40, 90, 37},    {6913, 60639, 0, 99, 16},    {6914, 60640, 0, 99, 15},
    {6799, 60644, 0, 99, 12},     {6719, 60645, 0, 99, 11},    {6800, 60646, 0, 99, 14},
    {6720, 60647, 0, 99, 13},     {6911, 60648, -99, 100, 18}, {6912, 60649, -99, 100, 17},
    {6915, 60650, 0, 99, 20},     {6916, 60651, 0, 99, 19},    {6917, 60652, 0, 99, 22},
    {6918, 60653, 0, 99, 21},     {6919, 60654, 0, 99, 43},
};

// Disabled while a test feed or print runs.
constexpr int kActionButtons[] = {kPrint, kFeed, kIdOk, kIdCancel, kClearDistance};

SetupCtxST* g_highLevelContext = nullptr;

PrintJobST* contextJob() {
  return g_highLevelContext != nullptr ? g_highLevelContext->lpPrintJob : nullptr;
}

uint8_t printerNo(uint8_t index) {
  return static_cast<uint8_t>(index + 1);
}

// A stored choice beyond the group's buttons ticks the first one.
void showRadioGroup(NyHwnd dialog, uint8_t index, int field, int first, int last) {
  int choice = settingsFieldInt(index, field);
  if (choice < 0 || choice > last - first) choice = 0;
  checkRadioButton(dialog, first, last, first + choice);
}

// Three groups of three digits from `text`; false when any is not all digits.
bool readDistanceGroup(const char* text, int* value) {
  int v = 0;
  for (int i = 0; i < 3; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  *value = v;
  return true;
}

void showBodyDistance(NyHwnd dialog, uint8_t index) {
  char request[22] = {};
  char answer[32] = {};
  request[8] = '0';
  request[12] = '0';
  if (!KtGetHeadDistanceFnBL(index, request, answer)) {
    ShowPrinterErrorFnI(dialog, index);
    return;
  }
  // Whole kilometres, thousandths and millionths of the printer's body travel.
  int km = 0, thousandths = 0, millionths = 0;
  if (!readDistanceGroup(answer + 22, &km) || !readDistanceGroup(answer + 25, &thousandths) ||
      !readDistanceGroup(answer + 28, &millionths)) {
    stKtRSE[index].dwLastError = kErrHeadDistance;
    ShowPrinterErrorFnI(dialog, index);
    return;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%f", km + thousandths / 1000.0 + millionths / 1000000.0);
  setDlgItemText(dialog, kBodyDistance, text);
}

void onInit(NyHwnd dialog, intptr_t lParam) {
  LoadDialogItemsExFnV(kTemplate, dialog, kTextSection);
  if (lParam != 0) g_highLevelContext = reinterpret_cast<SetupCtxST*>(lParam);
  CenterDialogFnV(dialog, g_highLevelContext != nullptr ? g_highLevelContext->hWndOwner : nullptr);
  const uint8_t index = contextSlotIndex(g_highLevelContext);
  for (const ParamRow& row : kLeadRows) showParamRow(dialog, index, row);
  for (const ParamRow& row : kMiddleRows) showParamRow(dialog, index, row);
  for (const ParamRow& row : kTrailRows) showParamRow(dialog, index, row);
  showRadioGroup(dialog, index, kFieldWideWindTime, kWideFirst, kWideLast);
  showRadioGroup(dialog, index, kFieldNarrowWindTime, kNarrowFirst, kNarrowLast);
  showRadioGroup(dialog, index, kFieldBackFeedAdjust, kBackFeedOff, kBackFeedOn);
  checkDlgButton(dialog, kForcedWinder, settingsFieldText(index, kFieldForcedWinder) == "1");
  setDlgItemInt(dialog, kCopies, 1, false);
  showBodyDistance(dialog, index);
}

// Validates and stores every row in memory; false at the first value out of range (the
// rows before it stay stored).
bool storeSettings(NyHwnd dialog) {
  const uint8_t index = contextSlotIndex(g_highLevelContext);
  if (!storeParamRows(dialog, index, kLeadRows)) return false;
  setSettingsFieldInt(index, kFieldReserved30, 0);
  if (!storeParamRows(dialog, index, kMiddleRows)) return false;
  // No button ticked is stored as 5, which ticks the first button at the next opening.
  const int wide = checkedRadioIndex(dialog, kWideFirst, kWideLast);
  setSettingsFieldInt(index, kFieldWideWindTime, wide < 0 ? 5 : wide);
  const int narrow = checkedRadioIndex(dialog, kNarrowFirst, kNarrowLast);
  setSettingsFieldInt(index, kFieldNarrowWindTime, narrow < 0 ? 5 : narrow);
  setSettingsFieldInt(index, kFieldBackFeedAdjust,
                      isDlgButtonChecked(dialog, kBackFeedOff) == 1 ? 0 : 1);
  if (!storeParamRows(dialog, index, kTrailRows)) return false;
  setSettingsFieldInt(index, kFieldReserved29, 0);
  setSettingsFieldInt(index, kFieldForcedWinder,
                      isDlgButtonChecked(dialog, kForcedWinder) == 1 ? 1 : 0);
  return true;
}

void testFeed(uint8_t index) {
  if (NyPrFeedLabel(printerNo(index), contextJob()) == 0) ShowPrinterErrorFnI(focusWindow(), index);
}

void testPrint(NyHwnd dialog, uint8_t index) {
  int copies = 0;
  if (!checkParamRange(dialog, kCopies, kCopiesName, 1, 9999, &copies)) return;
  PrintJobST* job = contextJob();
  NyHbitmap label = job != nullptr ? job->hLabelBitmap : nullptr;
  if (NyPrPrintOneLabel(printerNo(index), copies, label, job, nullptr) == -1) {
    ShowPrinterErrorFnI(focusWindow(), index);
    return;
  }
  PrinterSlot& slot = stKtRSE[index];
  NyHwnd owner = slot.dwUserData != 0 ? reinterpret_cast<NyHwnd>(slot.dwUserData) : focusWindow();
  if (NyPrWaitJobEnd(&slot, 1, owner) != 1) ShowPrinterErrorFnI(focusWindow(), index);
}

void runTest(NyHwnd dialog, bool print) {
  const uint8_t index = contextSlotIndex(g_highLevelContext);
  enableControls(dialog, kActionButtons, false);
  if (print) {
    testPrint(dialog, index);
  } else {
    testFeed(index);
  }
  enableControls(dialog, kActionButtons, true);
}

void clearBodyDistance(NyHwnd dialog) {
  const std::string question = moduleStringCp932(kClearQuestion);
  if (ConfirmMessageFnSW(dialog, 0, question.c_str(), 0) != NY_IDYES) return;
  const uint8_t index = contextSlotIndex(g_highLevelContext);
  char request[22] = {};
  char answer[32] = {};
  request[8] = '0';
  request[12] = '1';
  std::memcpy(request + 13, "000000000", 9);
  if (KtGetHeadDistanceFnBL(index, request, answer)) {
    setDlgItemText(dialog, kBodyDistance, "0");
  } else {
    ShowPrinterErrorFnI(dialog, index);
  }
}

}  // namespace

intptr_t NYPR_STDCALL HighLevelDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog:
      onInit(dialog, lParam);
      return 1;
    case kMsgCommand:
      switch (commandId(wParam)) {
        case kIdOk:
          if (storeSettings(dialog)) endDialog(dialog, 1);
          return 1;
        case kIdCancel:
          endDialog(dialog, 0);
          return 1;
        case kFeed:
        case kPrint:
          if (storeSettings(dialog)) runTest(dialog, commandId(wParam) == kPrint);
          return 1;
        case kClearDistance:
          clearBodyDistance(dialog);
          return 1;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

}  // namespace nypr
