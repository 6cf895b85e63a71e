// The test print and the head-break check of the maintenance dialogs, for hosts that have
// no dialogs (a printer's web page): the same commands, with the values as arguments and
// the outcome as the result instead of a message box.
#include <algorithm>
#include <cstdio>

#include "core/slots.h"
#include "driver/printing.h"
#include "link/aux_channel.h"
#include "link/commands.h"
#include "link/connection.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/clock.h"
#include "status/error_text.h"
#include "ui/dialog_procs.h"

namespace {

constexpr int kPatterns = 7;
constexpr int kPositions = 4;
constexpr int kMaxLabels = 9999;
constexpr int kLastDot = 960;
// A test print is followed as long as the dialog follows a normal issue.
constexpr uint32_t kFollowMs = 10000;

}  // namespace

extern "C" {

NYPR_API int32_t NYPR_STDCALL NyPrTestPrint(uint8_t printerNo, int32_t pattern, int32_t position,
                                            int32_t labels) {
  using namespace nypr;
  if (printerNo < 1 || printerNo > kSlotCount || pattern < 0 || pattern >= kPatterns ||
      position < 0 || position >= kPositions || labels < 1 || labels > kMaxLabels) {
    return 0;
  }
  const auto index = static_cast<uint8_t>(printerNo - 1);
  KT36R_CreateSocket(index, 0, 1);
  forgetFinishReportHead(index);
  char request[16] = {};
  std::snprintf(request + 8, sizeof request - 8, "%d%d0%04d", static_cast<int>(pattern),
                static_cast<int>(position), static_cast<int>(labels));
  if (!KtTestPrintFnBL(index, request)) return 0;
  const uint32_t start = platform::tickCount();
  for (;;) {
    uint16_t remaining = 0;
    const int32_t r = isPrintFinished(printerNo, &remaining, stKtRSE[index].AutoPeelUB, 0);
    if (r == kFinished) return 1;
    if (r == kFinishFailed || r == kStoppedByPrinter || r == kPrinterError998) return 0;
    if (platform::tickCount() - start >= kFollowMs) return 2;
  }
}

NYPR_API int32_t NYPR_STDCALL NyPrHeadCheck(uint8_t printerNo, int32_t firstDot, int32_t lastDot,
                                            int32_t* count, int32_t* dots, int32_t maxDots) {
  using namespace nypr;
  if (printerNo < 1 || printerNo > kSlotCount || firstDot < 1 || firstDot > kLastDot ||
      lastDot < 1 || lastDot > kLastDot || count == nullptr || maxDots < 0 ||
      (maxDots > 0 && dots == nullptr)) {
    return 0;
  }
  PrinterSlot* slot = &stKtRSE[printerNo - 1];
  char request[21] = {};
  std::snprintf(request + 8, sizeof request - 8, "%04d%04d0020",
                static_cast<int>(std::min(firstDot, lastDot)),
                static_cast<int>(std::max(firstDot, lastDot)));
  char answer[217] = {};
  if (!SE_HeadCheckFnBL(slot, request, answer, kKindKt3600r)) return 0;
  const auto broken = headCheckBrokenDots(answer);
  if (!broken) {
    slot->dwLastError = kErrWrongAnswer;
    return 0;
  }
  *count = static_cast<int32_t>(broken->size());
  const size_t copied = std::min(broken->size(), static_cast<size_t>(maxDots));
  std::copy_n(broken->begin(), copied, dots);
  return 1;
}

}  // extern "C"
