// The exports of the printer setup: the setup dialog and the host's print-condition
// callback.
#include "core/slots.h"
#include "discovery/setup_context.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/ui.h"
#include "ui/dialog_procs.h"
#include "ui/print_condition_callback.h"
#include "ui/setup_dialog.h"

extern "C" {

NYPR_API int32_t NYPR_CDECL NyPrPrinterSetup(NyHwnd owner, uint8_t printerNo, PrintJobST* job,
                                             ...) {
  using namespace nypr;
  // Numbers outside 1..8 set up the first printer.
  SetupCtxST context{slotFromPrinterNo(printerNo), owner, job};
  stKtRSE[context.PrinterIdxUB].CurKTRInfoST.PrinterNoUB = context.PrinterIdxUB;
  platform::dialogBoxParam(kSetupTemplate, owner, SetupDlgProc,
                           reinterpret_cast<intptr_t>(&context));
  return 1;
}

NYPR_API int32_t NYPR_STDCALL NyPrCondDlgCB(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                            intptr_t /*lParam*/, CondDlgCtxST* ctx) {
  return nypr::PrintCondCallbackFnI(dialog, message, wParam, ctx);
}

}  // extern "C"
