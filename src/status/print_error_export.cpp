// NyPrGetPrintError: the host's way to read a printer's last error and its message.
#include "nyprkt3600r/nyprkt3600r.h"
#include "status/error_text.h"

extern "C" NYPR_API uint32_t NYPR_STDCALL NyPrGetPrintError(uint8_t printerNo, char* text,
                                                            int32_t size) {
  const bool wantText = text != nullptr && size > 0;
  // Printer numbers outside 1..8 name no slot: an empty text, "no error".
  if (printerNo < 1 || printerNo > nypr::kSlotCount) {
    if (wantText) text[0] = '\0';
    return 0;
  }
  const uint8_t index = static_cast<uint8_t>(printerNo - 1);
  if (wantText) {
    try {
      nypr::GetErrorTextFnV(index, text, static_cast<size_t>(size));
    } catch (...) {
      text[0] = '\0';  // the code below still tells the host what went wrong
    }
  }
  const uint32_t code = nypr::stKtRSE[index].dwLastError;
  return code == nypr::kNoError ? 0 : code;
}
