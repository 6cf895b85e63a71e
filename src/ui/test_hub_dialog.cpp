// The hardware test hub: buzzer, LED, memory card, motor, test print, auto cut and head
// check, each one exchange with the printer.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/host_api.h"
#include "core/slots.h"
#include "discovery/setup_context.h"
#include "link/aux_channel.h"
#include "link/commands.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"
#include "ui/dialog_procs.h"

namespace nypr {
namespace {

using namespace platform;

constexpr char kTemplate[] = "DIALOG_KT36R_TEST";
constexpr char kMotorTemplate[] = "DIALOG_MOTO_TEST";
constexpr char kTestPrintTemplate[] = "DIALOG_KT36R_TESTPRT";
constexpr char kHeadCheckTemplate[] = "DIALOG_HEAD_EXPIRE";

constexpr int kBuzzerButton = 6215;
constexpr int kLedButton = 6216;
constexpr int kCardCombo = 6206;
constexpr int kCardTestButton = 6214;
constexpr int kCardReadError = 6207;
constexpr int kCardFiles = 6208;
constexpr int kFirstSize = 6209;
constexpr int kSecondSize = 6210;
constexpr int kFirstSizeLabel = 6211;
constexpr int kFirstSizeUnit = 6212;
constexpr int kSecondSizeUnit = 6213;
constexpr int kMotorButton = 6014;
constexpr int kTestPrintButton = 6021;
constexpr int kAutoCutButton = 6020;
constexpr int kHeadCheckButton = 6015;

constexpr uint32_t kNormalCapacityText = 60001;
constexpr uint32_t kRemainingCapacityText = 60002;
constexpr uint32_t kConfirmCaption = 60045;
constexpr uint32_t kAutoCutDoneText = 60679;

// Card test answer (payload positions).
constexpr size_t kCardAnswerSize = 41;
constexpr size_t kCardReadErrorPos = 9;
constexpr size_t kCardReadErrorLen = 3;
constexpr size_t kCardFilesPos = 12;
constexpr size_t kCardFilesLen = 4;
constexpr size_t kFirstSizePos = 16;
constexpr size_t kSecondSizePos = 28;
constexpr size_t kSizeLen = 12;

// The context of the open hub (one hub at a time).
SetupCtxST* g_testHubContext = nullptr;

NyHwnd contextOwner() {
  return g_testHubContext != nullptr ? g_testHubContext->hWndOwner : nullptr;
}

// Answer characters as a control can show them: anything but printable ASCII from the
// printer would be taken as part of a CP932 character, so it shows as '?'.
std::string printableField(const char* field, size_t length) {
  std::string text(field, length);
  for (char& c : text) {
    if (c < 0x20 || c > 0x7E) c = '?';
  }
  return text;
}

struct SizeDisplay {
  std::string value;
  const char* unit;
};

// A 12-character size of the card answer, converted by the host into a byte count and a
// unit code. A size the host cannot read is shown as received, without a unit.
SizeDisplay cardSize(const char* field) {
  char text[kSizeLen + 1] = {};
  std::memcpy(text, field, kSizeLen);
  double count = 0;
  const int unit = ConvMemdSizeEXFnI(text, &count);
  char value[64];
  switch (unit) {
    case 0:
      return {"0", "B"};
    case 1:
      std::snprintf(value, sizeof value, "%.0f", count);
      return {value, "B"};
    case 2:
      std::snprintf(value, sizeof value, "%.3f", count / 1024.0);
      return {value, "KB"};
    case 3:
      std::snprintf(value, sizeof value, "%.3f", count / 1048576.0);
      return {value, "MB"};
    case 4:
      std::snprintf(value, sizeof value, "%.3f", count / 1073741824.0);
      return {value, "GB"};
    default:
      return {printableField(field, kSizeLen), ""};
  }
}

void showCardAnswer(NyHwnd dialog, const char* answer) {
  setDlgItemText(dialog, kCardReadError,
                 printableField(answer + kCardReadErrorPos, kCardReadErrorLen).c_str());
  setDlgItemText(dialog, kCardFiles, printableField(answer + kCardFilesPos, kCardFilesLen).c_str());
  const SizeDisplay first = cardSize(answer + kFirstSizePos);
  setDlgItemText(dialog, kFirstSize, first.value.c_str());
  setDlgItemText(dialog, kFirstSizeUnit, first.unit);
  const SizeDisplay second = cardSize(answer + kSecondSizePos);
  setDlgItemText(dialog, kSecondSize, second.value.c_str());
  setDlgItemText(dialog, kSecondSizeUnit, second.unit);
}

void runCardTest(NyHwnd dialog) {
  const int card = comboGetCurSel(getDlgItem(dialog, kCardCombo));
  if (card < 0) return;
  const uint8_t slot = contextSlotIndex(g_testHubContext);
  char answer[kCardAnswerSize] = {};
  if (!KtCardTestFnBL(slot, card, answer)) {
    ShowPrinterErrorFnI(dialog, slot);
    return;
  }
  showCardAnswer(dialog, answer);
}

void runMotorTest(NyHwnd dialog) {
  const uint8_t slot = contextSlotIndex(g_testHubContext);
  if (!KtMotorTestStartFnBL(slot)) {
    ShowPrinterErrorFnI(dialog, slot);
    return;
  }
  dialogBoxParam(kMotorTemplate, dialog, MotorTestDlgProc,
                 reinterpret_cast<intptr_t>(g_testHubContext));
  // The motors must leave test mode whatever happened in the motor dialog.
  if (!KtMotorTestEndFnBL(slot)) ShowPrinterErrorFnI(dialog, slot);
}

void runAutoCut(NyHwnd dialog) {
  PrinterSlot* slot = &stKtRSE[contextSlotIndex(g_testHubContext)];
  if (!SE_AutoCutFnBL(slot, kKindKt3600r)) {
    SE_ShowErrorFnI(dialog, slot);
    return;
  }
  messageBeep(BeepKind::Error);
  NyMessageBox(dialog, moduleStringCp932(kAutoCutDoneText).c_str(),
               moduleStringCp932(kConfirmCaption).c_str(), NY_MB_ICONWARNING);
}

void initHub(NyHwnd dialog, intptr_t lParam) {
  LoadDialogItemsExFnV(kTemplate, dialog, kTextSection);
  g_testHubContext = reinterpret_cast<SetupCtxST*>(lParam);
  CenterDialogFnV(dialog, contextOwner());
  const uint8_t slot = contextSlotIndex(g_testHubContext);
  // Loads the printer's record and position adjustment; the slot's own connection record
  // stays as the setup dialog left it.
  KtrInfo scratch{};
  scratch.PrinterNoUB = slot;
  ReadPrinterSettingsFnBL(&scratch);
  if (g_testHubContext != nullptr && g_testHubContext->lpPrintJob != nullptr) {
    ApplyHostPosAdjustFnV(slot, g_testHubContext->lpPrintJob->lpLabelFormat);
  }
  NyHwnd combo = getDlgItem(dialog, kCardCombo);
  comboResetContent(combo);
  for (const char* entry : {"0", "1", "2"}) comboAddString(combo, entry);
  comboSetCurSel(combo, 0);
}

}  // namespace

intptr_t NYPR_STDCALL TestHubDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog:
      initHub(dialog, lParam);
      return 1;
    case kMsgDestroy:
      g_testHubContext = nullptr;
      return 0;
    case kMsgCommand: {
      const uint8_t slot = contextSlotIndex(g_testHubContext);
      switch (commandId(wParam)) {
        case kBuzzerButton:
          if (!KtBuzzerTestFnBL(slot)) ShowPrinterErrorFnI(dialog, slot);
          return 1;
        case kLedButton:
          if (!KtLedTestFnBL(slot)) ShowPrinterErrorFnI(dialog, slot);
          return 1;
        case kCardCombo: {
          if (commandCode(wParam) != kCbnSelChange) return 0;
          const int card = comboGetCurSel(getDlgItem(dialog, kCardCombo));
          const uint32_t label = card == 0 ? kNormalCapacityText : kRemainingCapacityText;
          setDlgItemText(dialog, kFirstSizeLabel, moduleStringCp932(label).c_str());
          return 1;
        }
        case kCardTestButton:
          runCardTest(dialog);
          return 1;
        case kMotorButton:
          runMotorTest(dialog);
          return 1;
        case kTestPrintButton:
          dialogBoxParam(kTestPrintTemplate, dialog, TestPrintDlgProc,
                         reinterpret_cast<intptr_t>(g_testHubContext));
          return 1;
        case kAutoCutButton:
          runAutoCut(dialog);
          return 1;
        case kHeadCheckButton:
          dialogBoxParam(kHeadCheckTemplate, dialog, HeadCheckDlgProc,
                         reinterpret_cast<intptr_t>(g_testHubContext));
          return 1;
        case kIdCancel:
          endDialog(dialog, 0);
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
