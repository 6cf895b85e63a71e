// The maintenance dialog: the printer's service parameters (sensor levels, distances,
// history control, head-break check, density rates, print-position adjustment), a test
// feed or print, the factory defaults, the printer program update, and the way to the
// display, IP address, test and high-level parameter dialogs.
#include <cstdio>
#include <cstring>

#include "core/host_api.h"
#include "core/slots.h"
#include "driver/printing.h"
#include "link/commands.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"
#include "ui/dialog_procs.h"
#include "ui/help_opener.h"
#include "ui/parameter_rows.h"

namespace nypr {
namespace {

using namespace platform;

constexpr char kTemplate[] = "DIALOG_MAINTENANCE";

// Buttons.
constexpr int kDefaults = 6794;
constexpr int kHighLevel = 6774;
constexpr int kDisplay = 6720;
constexpr int kTests = 6200;
constexpr int kProgramUpdate = 6220;
constexpr int kAddress = 6219;
constexpr int kPrint = 6012;
constexpr int kFeed = 6011;
constexpr int kHelp = 9;

// Controls outside the plain rows.
constexpr int kHistory = 6708;
constexpr int kCheckNone = 6030;
constexpr int kCheckBarcode = 6032;
constexpr int kCheckAtStart = 6025;
constexpr int kCheckEveryN = 6026;
constexpr int kShowDetectError = 6001;
constexpr int kAutoCutterDist = 6712;
constexpr int kDensityAbove25 = 6925;
constexpr int kHeadWidth = 6777;
constexpr int kCopies = 6009;
constexpr int kAdjustX = 6801;
constexpr int kAdjustY = 6803;
constexpr int kAdjustMode = 6804;

constexpr int kAdjustRange = 24;  // the adjustment combos offer -24..24 dots
constexpr uint32_t kAdjustModeFirstText = 2491;
constexpr uint32_t kResetQuestion = 50036;
constexpr uint32_t kProgramFilter = 38013;
constexpr uint32_t kUpdateQuestion = 60024;
constexpr uint32_t kUpdateWait = 60015;
constexpr uint32_t kUpdateDone = 60016;
constexpr uint32_t kCopiesName = 60655;
constexpr const char* kHighLevelAccessCode = "482";
constexpr int kDotsPerMm = 12;

// Rows before the history control, in the order they are checked.
constexpr ParamRow kSensorRows[] = {
    {6776, 60602, 0, 99, 23}, {6702, 60603, 0, 99, 24},    {6701, 60604, 0, 99, 25},
    {6706, 60605, 0, 99, 60}, {6703, 60606, 240, 1600, 4}, {6704, 60608, 240, 1600, 5},
    {6705, 60609, 0, 320, 6}, {6707, 60683, 0, 400, 7},
};
// Checked and stored only while history control is ticked.
constexpr ParamRow kHistoryRows[] = {
    {6709, 60616, 0, 99, 1},
    {6710, 60617, 0, 99, 2},
    {6711, 60618, 0, 99, 3},
    {6713, 60615, 0, 99, 55},
};
constexpr ParamRow kCheckCountRow = {6022, 60656, 0, 9999, 59};
constexpr ParamRow kDensityRows[] = {
    {6923, 60607, 0, 40, 8},
    {6924, 60611, -40, 40, 9},
};

constexpr int kHistoryControls[] = {6709, 6710, 6711, 6713};
constexpr int kCheckTimingControls[] = {kCheckAtStart, kCheckEveryN, 6022};
// Disabled while a test feed or print runs, so that no second action starts.
constexpr int kActionButtons[] = {kPrint, kFeed,    kDefaults,      kHighLevel, kDisplay,
                                  kTests, kAddress, kProgramUpdate, kIdOk,      kIdCancel};

// The context of the open dialog; a re-opening after the defaults comes without one.
SetupCtxST* g_maintenanceContext = nullptr;

PrintJobST* contextJob() {
  return g_maintenanceContext != nullptr ? g_maintenanceContext->lpPrintJob : nullptr;
}

LabelFormatST* contextLabel() {
  PrintJobST* job = contextJob();
  return job != nullptr ? job->lpLabelFormat : nullptr;
}

uint8_t printerNo(uint8_t index) {
  return static_cast<uint8_t>(index + 1);
}

bool fieldIsOne(uint8_t index, int field) {
  return settingsFieldText(index, field) == "1";
}

void updateHistoryControls(NyHwnd dialog) {
  enableControls(dialog, kHistoryControls, isDlgButtonChecked(dialog, kHistory) == 1);
}

void updateCheckTimingControls(NyHwnd dialog) {
  enableControls(dialog, kCheckTimingControls, isDlgButtonChecked(dialog, kCheckNone) != 1);
}

void fillAdjustCombo(NyHwnd dialog, int id, int value) {
  NyHwnd combo = getDlgItem(dialog, id);
  comboResetContent(combo);
  for (int v = -kAdjustRange; v <= kAdjustRange; ++v) {
    char text[8];
    std::snprintf(text, sizeof text, "%d", v);
    comboAddString(combo, text);
  }
  comboSetCurSel(combo, value + kAdjustRange);
}

void showSettings(NyHwnd dialog, uint8_t index, bool withContext) {
  for (const ParamRow& row : kSensorRows) showParamRow(dialog, index, row);
  setDlgItemInt(dialog, kAutoCutterDist, settingsFieldInt(index, kFieldAutoCutterDist), true);
  for (const ParamRow& row : kHistoryRows) showParamRow(dialog, index, row);
  showParamRow(dialog, index, kCheckCountRow);
  for (const ParamRow& row : kDensityRows) showParamRow(dialog, index, row);
  setDlgItemInt(dialog, kHeadWidth, settingsFieldInt(index, kFieldHeadWidth) / kDotsPerMm, true);

  checkDlgButton(dialog, kShowDetectError, fieldIsOne(index, 27) ? 1 : 0);
  const int method = settingsFieldInt(index, 57);
  if (method >= 0 && method <= kCheckBarcode - kCheckNone) {
    checkRadioButton(dialog, kCheckNone, kCheckBarcode, kCheckNone + method);
  }
  const int timing = settingsFieldInt(index, 58);
  if (timing >= 0 && timing <= 1) {
    checkRadioButton(dialog, kCheckAtStart, kCheckEveryN, kCheckAtStart + timing);
  }

  checkDlgButton(dialog, kHistory, fieldIsOne(index, kFieldHistoryControl) ? 1 : 0);
  updateHistoryControls(dialog);

  setDlgItemInt(dialog, kCopies, 1, false);
  if (withContext) {
    const PrinterSlot& slot = stKtRSE[index];
    fillAdjustCombo(dialog, kAdjustX, slot.PosAdjXI);
    fillAdjustCombo(dialog, kAdjustY, slot.PosAdjYI);
    InitCombineBoxFnV(dialog, 0, kAdjustMode, kAdjustModeFirstText, 2);
    comboSetCurSel(getDlgItem(dialog, kAdjustMode), slot.PosAdjModeI);
  }
  updateCheckTimingControls(dialog);
}

void onInit(NyHwnd dialog, intptr_t lParam) {
  LoadDialogItemsExFnV(kTemplate, dialog, kTextSection);
  const bool withContext = lParam != 0;
  if (withContext) {
    g_maintenanceContext = reinterpret_cast<SetupCtxST*>(lParam);
    CenterDialogFnV(dialog, g_maintenanceContext->hWndOwner);
  }
  showSettings(dialog, contextSlotIndex(g_maintenanceContext), withContext);
}

// Validates and stores every parameter; false (message shown, focus on the field) at
// the first value out of range, with the fields before it stored in memory.
bool storeSettings(NyHwnd dialog) {
  const uint8_t index = contextSlotIndex(g_maintenanceContext);
  if (!storeParamRows(dialog, index, kSensorRows)) return false;
  // Kept by the printer without a range of its own; the control is read-only.
  setSettingsFieldInt(index, kFieldAutoCutterDist, GetDlgItemIntFnSW(dialog, kAutoCutterDist, 1));
  if (isDlgButtonChecked(dialog, kHistory) == 1) {
    setSettingsFieldInt(index, kFieldHistoryControl, 1);
    if (!storeParamRows(dialog, index, kHistoryRows)) return false;
  } else {
    setSettingsFieldInt(index, kFieldHistoryControl, 0);
  }
  // With no button of a group ticked (a digit out of range in the INI line), the stored
  // choice is kept.
  if (int method = checkedRadioIndex(dialog, kCheckNone, kCheckBarcode); method >= 0) {
    setSettingsFieldInt(index, 57, method);
  }
  if (int timing = checkedRadioIndex(dialog, kCheckAtStart, kCheckEveryN); timing >= 0) {
    setSettingsFieldInt(index, 58, timing);
  }
  if (!storeParamRow(dialog, index, kCheckCountRow)) return false;
  setSettingsFieldInt(index, 27, isDlgButtonChecked(dialog, kShowDetectError) == 1 ? 1 : 0);
  if (!storeParamRows(dialog, index, kDensityRows)) return false;
  // The hidden rate at or above 25 degrees is checked but never stored.
  if (!checkParamRange(dialog, kDensityAbove25, 60612, -40, 40)) return false;
  // The head width is shown in whole millimetres; writing the shown value back would
  // round a width that is not a whole number of millimetres, so only a changed value is.
  const int headWidthMm = GetDlgItemIntFnSW(dialog, kHeadWidth, 1);
  if (headWidthMm != settingsFieldInt(index, kFieldHeadWidth) / kDotsPerMm) {
    setSettingsFieldInt(index, kFieldHeadWidth, headWidthMm * kDotsPerMm);
  }
  setSettingsFieldInt(index, kFieldFlag100, 0);

  PrinterSlot& slot = stKtRSE[index];
  // Combos that were never filled (no selection) leave the slot's values alone.
  if (int x = comboGetCurSel(getDlgItem(dialog, kAdjustX)); x >= 0)
    slot.PosAdjXI = x - kAdjustRange;
  if (int y = comboGetCurSel(getDlgItem(dialog, kAdjustY)); y >= 0)
    slot.PosAdjYI = y - kAdjustRange;
  if (int mode = comboGetCurSel(getDlgItem(dialog, kAdjustMode)); mode >= 0)
    slot.PosAdjModeI = mode;
  slot.CurKTRInfoST.PrinterNoUB = index;
  WritePrinterSettingsFnV(&slot.CurKTRInfoST);
  writePosAdjustToLabel(index, contextLabel());
  return true;
}

void takeLabelAdjustment(uint8_t index) {
  if (LabelFormatST* label = contextLabel()) ApplyHostPosAdjustFnV(index, label);
}

void testFeed(NyHwnd dialog, uint8_t index) {
  if (NyPrInitPrinter(printerNo(index), contextJob()) != 0) {
    ShowPrinterErrorFnI(dialog, index);
  } else if (NyPrIsPrintReady(index, 2) == 0) {
    ShowPrinterErrorFnI(dialog, index);
  }
  if (NyPrFeedLabel(printerNo(index), contextJob()) == 0) ShowPrinterErrorFnI(dialog, index);
}

void testPrint(NyHwnd dialog, uint8_t index, int copies) {
  if (NyPrInitPrinter(printerNo(index), contextJob()) != 0) {
    ShowPrinterErrorFnI(dialog, index);
    return;
  }
  if (NyPrIsPrintReady(index, 1) == 0) {
    ShowPrinterErrorFnI(dialog, index);
    return;
  }
  PrintJobST* job = contextJob();
  NyHbitmap label = job != nullptr ? job->hLabelBitmap : nullptr;
  if (NyPrPrintOneLabel(printerNo(index), copies, label, job, nullptr) != 0) {
    ShowPrinterErrorFnI(dialog, index);
    return;
  }
  PrinterSlot& slot = stKtRSE[index];
  NyHwnd owner = slot.dwUserData != 0 ? reinterpret_cast<NyHwnd>(slot.dwUserData) : focusWindow();
  if (NyPrWaitJobEnd(&slot, 1, owner) != 1) ShowPrinterErrorFnI(dialog, index);
}

// "フィード" and "発行" after the parameters were stored.
void runTest(NyHwnd dialog, bool print) {
  const uint8_t index = contextSlotIndex(g_maintenanceContext);
  enableControls(dialog, kActionButtons, false);
  int copies = 1;
  if (print && !checkParamRange(dialog, kCopies, kCopiesName, 1, 9999, &copies)) {
    enableControls(dialog, kActionButtons, true);
    return;
  }
  // The wait dialog of the test print hangs on this dialog.
  const intptr_t previous = NyPrIoControl(printerNo(index), 16, dialog, nullptr);
  takeLabelAdjustment(index);
  if (print) {
    testPrint(dialog, index, copies);
  } else {
    testFeed(dialog, index);
  }
  NyPrIoControl(printerNo(index), 16, reinterpret_cast<void*>(previous), nullptr);
  takeLabelAdjustment(index);
  enableControls(dialog, kActionButtons, true);
}

void restoreDefaults(NyHwnd dialog) {
  if (ConfirmMessageFnSW(dialog, kResetQuestion, nullptr, 0) != NY_IDYES) return;
  const uint8_t index = contextSlotIndex(g_maintenanceContext);
  SetDefaultSettingsFnV(index);
  MaintenanceDlgProc(dialog, kMsgInitDialog, 0, 0);
  // The printer's head-break warning distance back to its factory 60 km; the travel
  // distance itself is not touched.
  char request[22] = {};
  char answer[32] = {};
  request[8] = '1';
  std::memcpy(request + 9, "060", 3);
  request[12] = '0';
  if (!KtGetHeadDistanceFnBL(index, request, answer)) ShowPrinterErrorFnI(dialog, index);
}

void updateProgram(NyHwnd dialog) {
  char path[260] = {};
  if (GetFileNameFnSW(path, kProgramFilter, 0) != 0) return;
  path[sizeof path - 1] = '\0';
  const std::string question = moduleStringCp932(kUpdateQuestion);
  if (ConfirmMessageFnSW(dialog, 0, question.c_str(), 0) != NY_IDYES) return;
  const uint8_t index = contextSlotIndex(g_maintenanceContext);
  const std::string wait = moduleStringCp932(kUpdateWait);
  ShowWaitMessageFnH(dialog, wait.c_str());
  const bool sent = KtSendProgramFnBL(index, path) != 0;
  ShowWaitMessageFnH(dialog, nullptr);
  if (sent) {
    const std::string done = moduleStringCp932(kUpdateDone);
    ConfirmMessageFnSW(dialog, 0, done.c_str(), 2);
  } else {
    ShowPrinterErrorFnI(dialog, index);
  }
}

// Opens one of the dialogs reached from here, owned by this dialog.
void openChild(NyHwnd dialog, const char* templateName, DialogProc proc) {
  SetupCtxST child{contextSlotIndex(g_maintenanceContext), dialog, contextJob()};
  dialogBoxParam(templateName, dialog, proc, reinterpret_cast<intptr_t>(&child));
}

// The printer initialisation and the address and test dialogs reload the printer's
// settings from the INI file for their own use. The parameter record edited here and in
// the high-level dialog (or reset to the defaults) is kept through them, so "設定" still
// saves every edit.
class KeptRecord {
 public:
  KeptRecord() : index_(contextSlotIndex(g_maintenanceContext)) {
    std::memcpy(record_, PrinterSettings[index_], sizeof record_);
  }
  ~KeptRecord() { std::memcpy(PrinterSettings[index_], record_, sizeof record_); }
  KeptRecord(const KeptRecord&) = delete;
  KeptRecord& operator=(const KeptRecord&) = delete;

 private:
  uint8_t index_;
  char record_[kSettingsRecordSize];
};

void openTests(NyHwnd dialog) {
  const KeptRecord kept;
  const uint8_t index = contextSlotIndex(g_maintenanceContext);
  if (NyPrInitPrinter(printerNo(index), contextJob()) != 0) ShowPrinterErrorFnI(dialog, index);
  openChild(dialog, "DIALOG_KT36R_TEST", TestHubDlgProc);
}

void openAddress(NyHwnd dialog) {
  const KeptRecord kept;
  openChild(dialog, "DIALOG_KT36R_IP", IpAddressDlgProc);
}

void openHighLevel(NyHwnd dialog) {
  if (!CheckPasswordFnBL(dialog, kHighLevelAccessCode, 0)) return;
  openChild(dialog, "DIALOG_HIGHLEVEL", HighLevelDlgProc);
}

void openMaintenanceHelp(NyHwnd dialog) {
  static constexpr HostHelpTopics kTopics = {"::\\html/47-24dtf.htm", "::\\html/47-24dtf.htm",
                                             "::\\html/prt44dtf.htm"};
  const std::string target = HostHelpTargetFnS(kTopics);
  OpenHelpTopicFnV(dialog, target.c_str());
}

intptr_t onCommand(NyHwnd dialog, int id) {
  switch (id) {
    case kIdOk:
      if (storeSettings(dialog)) endDialog(dialog, 1);
      return 1;
    case kIdCancel:
      endDialog(dialog, 0);
      return 1;
    case kFeed:
    case kPrint:
      if (storeSettings(dialog)) runTest(dialog, id == kPrint);
      return 1;
    case kHistory:
      updateHistoryControls(dialog);
      return 1;
    case kCheckNone:
    case kCheckNone + 1:
    case kCheckBarcode:
      updateCheckTimingControls(dialog);
      return 1;
    case kDefaults:
      restoreDefaults(dialog);
      return 1;
    case kProgramUpdate:
      updateProgram(dialog);
      return 1;
    case kDisplay:
      openChild(dialog, "DIALOG_DISPLAY", DisplayDlgProc);
      return 1;
    case kAddress:
      openAddress(dialog);
      return 1;
    case kTests:
      openTests(dialog);
      return 1;
    case kHighLevel:
      openHighLevel(dialog);
      return 1;
    case kHelp:
      openMaintenanceHelp(dialog);
      return 1;
    default:
      return 0;
  }
}

}  // namespace

intptr_t NYPR_STDCALL MaintenanceDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                         intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog:
      onInit(dialog, lParam);
      return 1;
    case kMsgCommand:
      return onCommand(dialog, commandId(wParam));
    default:
      return 0;
  }
}

}  // namespace nypr
