// The printer setup dialog: the printer's address, the model's fixed facts, and the way
// to the sensor, maintenance and search list dialogs.
#include "ui/setup_dialog.h"

#include <algorithm>

#include "core/host_api.h"
#include "core/slots.h"
#include "discovery/printer_search.h"
#include "discovery/search_list_dialog.h"
#include "platform/ui.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"
#include "status/printer_status.h"
#include "ui/dialog_procs.h"
#include "ui/help_opener.h"
#include "ui/parameter_rows.h"

namespace nypr {
namespace {

using namespace platform;

// The host loads this dialog's texts under the model's full name.
constexpr char kSetupTextsName[] = "DIALOG_KT3600R";
constexpr char kSensorTemplate[] = "DIALOG_SENSOR";
constexpr char kMaintenanceTemplate[] = "DIALOG_MAINTENANCE";

constexpr int kIdHelp = 9;
constexpr int kIdAddress = 6101;
constexpr int kIdSearch = 1038;
constexpr int kIdSensor = 6003;
constexpr int kIdMaintenance = 6306;
constexpr int kIdAutoConnect = 6941;

// Access code of the host's password check in front of the maintenance dialog.
constexpr const char* kMaintenanceAccessCode = "735";

constexpr HostHelpTopics kSetupHelp = {"::\\html/47-28lv6.htm", "::\\html/47-28lv6.htm",
                                       "::\\html/prt48lv6.htm"};

struct ModelFact {
  int id;
  int value;
};
// Head resolution (dot/mm), print width and length (mm), print speeds (mm/s).
constexpr ModelFact kModelFacts[] = {
    {6308, 12}, {6309, 80}, {6310, 500}, {6311, 70}, {6312, 150},
};

// The context of the open setup dialog (the dialogs it opens get the same one). Without
// one the dialog works on the first printer with no label.
SetupCtxST g_noContext{0, nullptr, nullptr};
SetupCtxST* g_setupContext = &g_noContext;

uint8_t contextSlot() {
  return isValidSlotIndex(g_setupContext->PrinterIdxUB) ? g_setupContext->PrinterIdxUB : 0;
}

LabelFormatST* contextLabel() {
  PrintJobST* job = g_setupContext->lpPrintJob;
  return job != nullptr ? job->lpLabelFormat : nullptr;
}

KtrInfo& contextInfo() {
  return stKtRSE[contextSlot()].CurKTRInfoST;
}

// An unset address shows as 0.0.0.0, as every other address: what is stored, shown.
void showAddress(NyHwnd dialog, uint32_t address) {
  ipAddressSet(getDlgItem(dialog, kIdAddress), address);
}

void loadSettings() {
  const uint8_t index = contextSlot();
  KtrInfo& info = contextInfo();
  info.PrinterNoUB = index;
  ReadPrinterSettingsFnBL(&info);
  ApplyHostPosAdjustFnV(index, contextLabel());
}

void onInit(NyHwnd dialog, intptr_t lParam) {
  LoadDialogItemsExFnV(kSetupTextsName, dialog, kTextSection);
  if (lParam != 0) g_setupContext = reinterpret_cast<SetupCtxST*>(lParam);
  CenterDialogFnV(dialog, g_setupContext->hWndOwner);

  const uint8_t index = contextSlot();
  KtrInfo& info = contextInfo();
  info.PrinterNoUB = index;
  ReadPrinterSettingsFnBL(&info);
  checkDlgButton(dialog, kIdAutoConnect, g_AutoConnectFlag != 0 ? 1 : 0);
  ApplyHostPosAdjustFnV(index, contextLabel());

  showAddress(dialog, info.IpAddrUL);
  for (const ModelFact& fact : kModelFacts) setDlgItemInt(dialog, fact.id, fact.value, false);
}

// What buttons 1, 6003 and 6306 do first: take the address, save the settings and hand
// the position adjustment to the label. False (message shown) without an address.
bool storeAddress(NyHwnd dialog) {
  const uint8_t index = contextSlot();
  KtrInfo& info = contextInfo();
  uint32_t address = 0;
  ipAddressGet(getDlgItem(dialog, kIdAddress), &address);
  info.IpAddrUL = address;
  info.PrinterNoUB = index;
  if (address == 0) {
    // The slot's error code only carries the message to the error box.
    stKtRSE[index].dwLastError = kErrNoAddress;
    ShowPrinterErrorFnI(dialog, index);
    stKtRSE[index].dwLastError = kNoError;
    return false;
  }
  WritePrinterSettingsFnV(&info);
  writePosAdjustToLabel(index, contextLabel());
  return true;
}

void openMaintenance(NyHwnd dialog) {
  if (CheckPasswordFnBL(dialog, kMaintenanceAccessCode, 0) == 0) return;
  dialogBoxParam(kMaintenanceTemplate, dialog, MaintenanceDlgProc,
                 reinterpret_cast<intptr_t>(g_setupContext));
  // The maintenance dialog may have changed the settings, the adjustment or the address.
  loadSettings();
  showAddress(dialog, contextInfo().IpAddrUL);
}

void openSearchList(NyHwnd dialog) {
  dialogBoxParam(kSearchListTemplate, dialog, SearchKtListDlgProc,
                 reinterpret_cast<intptr_t>(g_setupContext));
  // Only shown: the address is saved with the next "設定".
  if (nSearchSel >= 0 && nSearchSel < std::min(nFoundPrinter, kFoundPrinterMax)) {
    showAddress(dialog, stFoundPrinter[nSearchSel].dwIPAddr);
  }
}

void showHelp(NyHwnd dialog) {
  const std::string target = HostHelpTargetFnS(kSetupHelp);
  OpenHelpTopicFnV(dialog, target.c_str());
}

intptr_t onCommand(NyHwnd dialog, int id) {
  switch (id) {
    case kIdOk:
      if (!storeAddress(dialog)) return 1;
      // The box is hidden and disabled, so this keeps automatic connection off; the
      // status query writes the flag to the INI file.
      g_AutoConnectFlag = isDlgButtonChecked(dialog, kIdAutoConnect) == 1 ? 1 : 0;
      endDialog(dialog, 1);
      return 1;
    case kIdCancel:
      endDialog(dialog, 0);
      return 1;
    case kIdSensor:
      if (storeAddress(dialog)) {
        dialogBoxParam(kSensorTemplate, dialog, SensorDlgProc,
                       reinterpret_cast<intptr_t>(g_setupContext));
      }
      return 1;
    case kIdMaintenance:
      if (storeAddress(dialog)) openMaintenance(dialog);
      return 1;
    case kIdSearch:
      openSearchList(dialog);
      return 1;
    case kIdHelp:
      showHelp(dialog);
      return 1;
    default:
      return 0;
  }
}

}  // namespace

intptr_t NYPR_STDCALL SetupDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog:
      onInit(dialog, lParam);
      return 1;
    case kMsgCommand:
      return onCommand(dialog, commandId(wParam));
    case kMsgDestroy:
      // The context lives on the caller's stack; never reach it after the dialog.
      g_setupContext = &g_noContext;
      return 0;
    default:
      return 0;
  }
}

}  // namespace nypr
