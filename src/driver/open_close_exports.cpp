// Opening and closing a printer, and dropping one of its connections.
#include <cstdio>

#include "core/host_api.h"
#include "core/slots.h"
#include "link/connection.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"
#include "status/printer_status.h"

namespace nypr {

int initPrinter(uint8_t printerNo, PrintJobST* job) {
  const uint8_t index = slotFromPrinterNo(printerNo);
  PrinterSlot& slot = stKtRSE[index];
  slot.PrnStatusST = PrnStatus{};
  slot.CurKTRInfoST.PrinterNoUB = index;

  if (!ReadPrinterSettingsFnBL(&slot.CurKTRInfoST)) {
    ShowPrinterErrorFnI(nullptr, index);
    return -1;
  }
  if (job != nullptr && job->lpLabelFormat != nullptr) {
    ApplyHostPosAdjustFnV(index, job->lpLabelFormat);
  }
  if (job != nullptr && job->lpFlagWord != nullptr) {
    // The host greys out what history control makes pointless.
    if (PrinterSettings[index][0] != '0') {
      *job->lpFlagWord |= 1u;
    } else {
      *job->lpFlagWord &= ~1u;
    }
  }
  const bool autoPeel = job != nullptr && job->lpPrintCond != nullptr &&
                        (job->lpPrintCond->OptionFlagsUW & NYPR_COND_AUTO_PEEL) != 0;
  slot.AutoPeelUB = autoPeel ? 1 : 0;

  // Proves the printer is reachable on a fresh connection before asking it anything.
  if (KT36R_CreateSocket(index, 1, 0) == platform::kInvalidSocket) return -1;
  CloseSlotSocketsFnV(index);

  char block[kStatusBlockLen];
  if (!GetPrinterStatusFnBL(index, block)) {
    ShowPrinterErrorFnI(nullptr, index);
    return -1;
  }
  slot.HeadRankUB = static_cast<uint8_t>(block[kStatusHeadRank] - '0');
  slot.dwError = static_cast<int32_t>(kNoError);
  slot.dwLastError = kNoError;
  return 0;
}

}  // namespace nypr

extern "C" {

NYPR_API int32_t NYPR_STDCALL NyPrInitPrinter(uint8_t printerNo, PrintJobST* job) {
  return nypr::initPrinter(printerNo, job);
}

NYPR_API int32_t NYPR_STDCALL NyPrClosePrinter(uint8_t slotIndex) {
  if (!nypr::isValidSlotIndex(slotIndex)) return 0;
  nypr::KT36R_CloseSocket(slotIndex, 1);
  nypr::KT36R_CloseSocket(slotIndex, 0);
  return 1;
}

NYPR_API int32_t NYPR_STDCALL NyPrPrintNotify(uint8_t slotIndex, int32_t which) {
  if (!nypr::isValidSlotIndex(slotIndex)) return 0;
  nypr::KT36R_CloseSocket(slotIndex, which == 0 ? 0 : 1);
  return 0;
}

}  // extern "C"
