// Following a job to its end on the finish connection, waiting for it (with a time limit
// or the wait dialog), stopping it, the ready check before a job, feeding one label and
// the auto cut.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/host_api.h"
#include "core/slots.h"
#include "driver/finish_report.h"
#include "driver/print_conditions.h"
#include "driver/printing.h"
#include "link/aux_channel.h"
#include "link/command_table.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link/frame.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "platform/profile.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"
#include "status/printer_status.h"

namespace nypr {
namespace {

constexpr int kFinishReadSize = 512;
constexpr int kReplySize = 100;
constexpr int kShortTimeoutMs = 500;
constexpr int kNormalTimeoutMs = 10000;
// How long a job may stay silent after its last sign of life before a quiet finish
// connection counts as a failure, and how long a wait gives a job in all.
constexpr uint32_t kActivityWindowMs = 10000;
constexpr uint32_t kWaitLimitMs = 10000;
constexpr int kFrameBufferSize = kFrameOverhead + 208 + 1;

constexpr int kAnswerPos8 = kFrameHeadLen + 8;
constexpr int kAnswerPos11 = kFrameHeadLen + 11;
constexpr int kAnswerPos12 = kFrameHeadLen + 12;

constexpr int kPeelThresholdDefault = 75;
constexpr int kOperationPrint = 1;

// The wait dialog.
constexpr char kWaitTemplate[] = "DIALOG_WAIT_FINISH";
constexpr uintptr_t kWaitTimerId = 100;
constexpr uint32_t kWaitFirstTickMs = 400;
constexpr uint32_t kWaitTickMs = 300;
constexpr uint32_t kStopGraceMs = 2000;
constexpr int kWaitTextId = 6926;
constexpr int kStopButton = 1;
constexpr int kCloseButton = 2;
constexpr uint32_t kWaitTextStringId = 60901;

// The head of a finish report that a read ended inside, per slot: the rest comes with the
// next read on the same connection, so the report is not lost to a segment boundary.
struct FinishCarry {
  char bytes[kFinishReportLen] = {};
  size_t len = 0;
};
FinishCarry g_finishCarry[kSlotCount];

bool endsWait(int result) {
  return result == kFinishFailed || result == kStoppedByPrinter || result == kPrinterError998;
}

// Wait dialog state: one dialog at a time in the whole module.
struct WaitDialogState {
  PrinterSlot* slot = nullptr;
  bool done = false;
  bool stopRequested = false;
  bool finished = false;
  uint32_t stopTick = 0;
};
WaitDialogState g_wait;

uint8_t printerNoOfSlot(const PrinterSlot* slot) {
  return static_cast<uint8_t>(slot->CurKTRInfoST.PrinterNoUB + 1);
}

void waitTimerTick(NyHwnd dialog) {
  platform::killTimer(dialog, kWaitTimerId);
  if (!g_wait.done && g_wait.slot != nullptr) {
    const int mode = g_wait.slot->JobKindUW == kJobFeed ? 1 : 0;
    uint16_t remaining = 0;
    const int result = isPrintFinished(printerNoOfSlot(g_wait.slot), &remaining, mode,
                                       g_wait.stopRequested ? 1 : 0);
    if (result == kFinished) {
      g_wait.finished = true;
      g_wait.done = true;
    } else if (endsWait(result)) {
      g_wait.done = true;
    }
    if (!g_wait.done && g_wait.stopRequested &&
        platform::tickCount() - g_wait.stopTick >= kStopGraceMs) {
      g_wait.slot->dwLastError = kErrReceiveTimeout;
      g_wait.done = true;
    }
  }
  if (g_wait.done) {
    platform::endDialog(dialog, g_wait.finished ? 1 : 0);
  } else {
    platform::setTimer(dialog, kWaitTimerId, kWaitTickMs);
  }
}

void waitStopPressed(NyHwnd dialog) {
  platform::killTimer(dialog, kWaitTimerId);
  if (g_wait.slot == nullptr || stopPrint(printerNoOfSlot(g_wait.slot)) == 0) g_wait.done = true;
  g_wait.stopTick = platform::tickCount();
  g_wait.stopRequested = true;
  if (g_wait.done) {
    platform::enableDlgItem(dialog, kCloseButton, true);
  } else {
    platform::setTimer(dialog, kWaitTimerId, kWaitTickMs);
  }
}

intptr_t NYPR_STDCALL WaitFinishDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                        intptr_t lParam) {
  switch (message) {
    case platform::kMsgInitDialog: {
      g_wait = WaitDialogState{};
      platform::showWindow(dialog, false);
      platform::setDlgItemText(dialog, kWaitTextId, moduleStringCp932(kWaitTextStringId).c_str());
      CenterDialogFnV(dialog, platform::getParent(dialog));
      g_wait.slot = reinterpret_cast<PrinterSlot*>(lParam);
      if (g_wait.slot != nullptr) {
        platform::setTimer(dialog, kWaitTimerId, kWaitFirstTickMs);
      } else {
        platform::enableDlgItem(dialog, kCloseButton, true);
      }
      return 1;
    }
    case platform::kMsgTimer:
      if (wParam == kWaitTimerId) waitTimerTick(dialog);
      return 0;
    case platform::kMsgCommand:
      if (platform::commandId(wParam) == kStopButton) {
        waitStopPressed(dialog);
        return 1;
      }
      if (platform::commandId(wParam) == kCloseButton) {
        platform::killTimer(dialog, kWaitTimerId);
        platform::endDialog(dialog, 1);
        return 1;
      }
      return 0;
    case platform::kMsgDestroy:
      platform::killTimer(dialog, kWaitTimerId);
      g_wait.slot = nullptr;
      return 0;
    default:
      return 0;
  }
}

// Lends the slot a frame and a reply buffer for one command exchange.
int exchangeCommand(uint8_t index, char* frame, int payloadLen, char* reply) {
  return exchangeWithBuffers(index, frame, KtMakeFrameFnI(frame, payloadLen), reply, kReplySize, 0,
                             0);
}

}  // namespace

void setPrintingStatus(const char* value) {
  const std::string ini = hostIniPath();
  if (platform::profileReadString(ini, kBackPrintingSection, kPrintingStatusKey, "") == value)
    return;
  platform::profileWriteString(ini, kBackPrintingSection, kPrintingStatusKey, value);
}

int32_t isPrintFinished(uint8_t printerNo, uint16_t* remaining, int32_t mode, uint32_t logValue) {
  const uint8_t index = slotFromPrinterNo(printerNo);
  PrinterSlot& slot = stKtRSE[index];
  printd("NyPrIPF(%i, %i, %i, %i)...\r\n", index, remaining != nullptr ? *remaining : -999, mode,
         static_cast<int>(logValue));

  char reply[kFinishReadSize + 1] = {};
  // The report is read before another call on this printer touches the finish connection.
  platform::CriticalSectionLock lock(printerLock(index));
  FinishCarry& carry = g_finishCarry[index];
  // A head kept from a connection that has since closed belongs to no report to come.
  if (!platform::isOpenSocket(slot.skFin)) carry.len = 0;
  if (mode == 0) {
    KT36R_CreateSocket(index, 0, 1);
    SetTimeOut(index, kShortTimeoutMs, kShortTimeoutMs, 1);
  }
  const int got = exchangeWithBuffers(index, nullptr, 0, reply, kFinishReadSize, kExReceiveOnly, 1);

  int result = kFinishFailed;
  if (got <= 0) {
    const bool timedOut = slot.dwError == platform::kNetTimedOut;
    if (slot.AutoPeelUB == 1 && timedOut) {
      // The printer holds the next copy until the label on the peeler is taken.
      result = kLabelAtPeeler;
      slot.dwLastError = kErrTakeLabel;
      if (remaining != nullptr) *remaining = static_cast<uint16_t>(slot.CopiesUL);
    } else if (timedOut && platform::tickCount() - slot.dwActTick < kActivityWindowMs) {
      result = kBusy;
      slot.dwLastError = kNoError;
    }
    if (mode == 0 && slot.AutoPeelUB == 1) {
      SetTimeOut(index, kNormalTimeoutMs, kNormalTimeoutMs, 1);
    }
  } else {
    slot.dwActTick = platform::tickCount();
    if (mode == 0) SetTimeOut(index, kNormalTimeoutMs, kNormalTimeoutMs, 1);
    char bytes[kFinishReportLen + kFinishReadSize];
    std::memcpy(bytes, carry.bytes, carry.len);
    const size_t fresh = static_cast<size_t>(got < kFinishReadSize ? got : kFinishReadSize);
    std::memcpy(bytes + carry.len, reply, fresh);
    const size_t len = carry.len + fresh;
    const FinishReport report = findLastFinishReport(bytes, len);
    carry.len = len - report.unfinished;
    std::memcpy(carry.bytes, bytes + report.unfinished, carry.len);
    if (report.found) {
      const uint32_t left = report.remaining > 0 ? static_cast<uint32_t>(report.remaining) : 0;
      if (remaining != nullptr) *remaining = static_cast<uint16_t>(left);
      slot.CopiesUL = left;
      slot.dwLastError = static_cast<uint32_t>(report.error);
      if (report.error == 0) {
        if (left != 0) {
          result = kIssuing;
        } else {
          setPrintingStatus("0");
          result = kFinished;
        }
      } else {
        if (report.error == 999) {
          result = kStoppedByPrinter;
          slot.dwLastError = kErrPrinterStopped;
        } else if (report.error == 998) {
          result = kPrinterError998;
        }
        KT36R_CloseSocket(index, 0);
      }
    } else if (carry.len > 0) {
      // Only the head of a report so far: the printer is alive, the rest is on its way.
      result = kBusy;
      slot.dwLastError = kNoError;
    } else {
      // Bytes that hold no report: the failed result must not leave the host reading
      // "no error".
      slot.dwLastError = kErrSocketReceive;
    }
  }
  if (result == kFinished) {
    if (g_TestPrintFlag == 0) KT36R_CloseSocket(index, 1);
    KT36R_CloseSocket(index, 0);
  }
  printd("NyPrIPF ends(%i), KtLE=%i, KtEr=%i.\r\n", result, static_cast<int>(slot.dwLastError),
         static_cast<int>(slot.dwError));
  return result;
}

void forgetFinishReportHead(uint8_t index) {
  if (index < kSlotCount) g_finishCarry[index].len = 0;
}

int32_t waitPrintFinished(uint8_t printerNo, int32_t mode) {
  const uint8_t index = static_cast<uint8_t>(printerNo - 1);
  PrinterSlot& slot = stKtRSE[index];
  const uint32_t start = platform::tickCount();
  bool finished = false;
  while (platform::tickCount() - start < kWaitLimitMs) {
    uint16_t remaining = 0;
    const int result = isPrintFinished(printerNo, &remaining, mode, 0);
    if (result > 0 && result != kBusy) {
      finished = true;
      break;
    }
    if (endsWait(result)) break;
  }
  if (!finished) {
    // The stop must not hide why the job did not end.
    const uint32_t lastError = slot.dwLastError;
    const int32_t error = slot.dwError;
    stopPrint(printerNo);
    slot.dwLastError = lastError;
    slot.dwError = error;
  }
  KT36R_CloseSocket(index, 0);
  return finished ? 1 : 0;
}

int32_t waitJobEnd(PrinterSlot* slot, NyHwnd owner) {
  const intptr_t result = platform::dialogBoxParam(kWaitTemplate, owner, WaitFinishDlgProc,
                                                   reinterpret_cast<intptr_t>(slot));
  if (slot != nullptr) {
    if (result == 0) {
      const uint32_t lastError = slot->dwLastError;
      stopPrint(printerNoOfSlot(slot));
      slot->dwLastError = lastError;
    }
    KT36R_CloseSocket(static_cast<uint8_t>(slot - stKtRSE), 0);
  }
  return static_cast<int32_t>(result);
}

int32_t stopPrint(uint8_t printerNo) {
  const uint8_t index = slotFromPrinterNo(printerNo);
  PrinterSlot& slot = stKtRSE[index];
  char frame[kFrameOverhead + 8 + 1] = {};
  char reply[kReplySize + 1] = {};
  KtSetCmdHeaderFnV(frame + kFrameHeadLen, kCmdPSP);
  SetTimeOut(index, kShortTimeoutMs, kShortTimeoutMs, 0);
  const int got = exchangeCommand(index, frame, KtGetCmdLenFnI(kCmdPSP, 0), reply);
  SetTimeOut(index, kNormalTimeoutMs, kNormalTimeoutMs, 0);
  if (got <= 0) return 0;
  if (reply[kAnswerPos8] == '1') {
    slot.dwLastError = kErrCannotStop;
    return 0;
  }
  return 1;
}

int32_t isPrintReady(uint8_t slotIndex, uint16_t operation) {
  PrinterSlot& slot = stKtRSE[slotIndex];
  const KtrInfo& info = slot.CurKTRInfoST;
  if (info.IpAddrUL == 0 || info.PortComUW == 0 || info.PortFinUW == 0) {
    const uint8_t owner = isValidSlotIndex(info.PrinterNoUB) ? info.PrinterNoUB : slotIndex;
    stKtRSE[owner].dwLastError = kErrNoAddress;
    return 0;
  }
  char block[kStatusBlockLen] = {};
  if (!GetPrinterStatusFnBL(slotIndex, block)) return 0;
  slot.HeadRankUB = static_cast<uint8_t>(block[kStatusHeadRank] - '0');
  slot.dwLastError = kNoError;
  if (slot.PrnStatusST.ValidUL == 0) {
    slot.dwLastError = kHostNoStatus;
    return 0;
  }
  if (ParseNumFieldFnI(block + 33, 1) != 0) {
    slot.dwLastError = kHostHeadOpen;
    return 0;
  }
  int threshold = ParseNumFieldFnI(
      &PrinterSettings[slotIndex][kSettingsFields[kFieldPeelSensorLevel].offset], 3);
  if (threshold < 1 || threshold > 100) threshold = kPeelThresholdDefault;
  if (slot.AutoPeelUB == 0) return 1;
  printd("IsReady(KT36R2) - OP=%i, CurPeelSen=%i, PeelSenGap=%i\r\n", operation,
         slot.PrnStatusST.PeelSenUW, threshold);
  if (slot.PrnStatusST.PeelSenUW <= threshold) return 1;
  if (operation != kOperationPrint) return 1;
  slot.dwLastError = kHostLabelOnPeeler;
  return 0;
}

int32_t feedLabel(uint8_t printerNo, PrintJobST* job) {
  const uint8_t index = slotFromPrinterNo(printerNo);
  PrinterSlot& slot = stKtRSE[index];
  if (job == nullptr || job->lpLabelFormat == nullptr || job->lpPrintCond == nullptr) return 0;
  // A longer label would go out with its length cut to four digits.
  if (dotsFromTenthMm(job->lpLabelFormat->LengthUW) > kMaxLabelLengthDots) {
    slot.dwLastError = kHostLabelTooWide;
    return 0;
  }
  if (KT36R_CreateSocket(index, 0, 1) == platform::kInvalidSocket) return 0;
  forgetFinishReportHead(index);

  char frame[kFrameBufferSize] = {};
  char reply[kReplySize + 1] = {};
  char* payload = frame + kFrameHeadLen;
  KtSetCmdHeaderFnV(payload, kCmdFES);
  ConditionsInput in = conditionsInputFromJob(*job);
  in.posAdjX = slot.PosAdjXI;
  in.posAdjY = slot.PosAdjYI;
  buildConditionsData(index, ConditionsCommand::Feed, in, payload + kPayloadCodeEnd);
  applyLaterSettingsUpdates(index, *job->lpPrintCond);

  bool accepted = false;
  if (exchangeCommand(index, frame, KtGetCmdLenFnI(kCmdFES, 0), reply) > 0) {
    if (reply[kAnswerPos11] == '1') {
      slot.dwLastError = kErrWrongParameter;
      slot.dwError = KtReadNumber(reply + kAnswerPos12, 3);
    } else {
      accepted = true;
    }
  }
  KT36R_CloseSocket(index, 0);
  slot.JobKindUW = kJobFeed;
  if (!accepted) return 0;
  return waitPrintFinished(static_cast<uint8_t>(index + 1), 1) != 0 ? 1 : 0;
}

int32_t sendPrintAutoCut(uint8_t slotIndex) {
  PrinterSlot& slot = stKtRSE[slotIndex];
  SetWaitCursorFnV(1);
  const int done = SE_AutoCutFnBL(&slot, kKindKt3600r);
  SE_CloseSocketFnV(0, &slot);
  SE_CloseSocketFnV(1, &slot);
  SetWaitCursorFnV(0);
  if (done == 0) {
    SE_ShowErrorFnI(nullptr, &slot);
    return 0;
  }
  return 1;
}

}  // namespace nypr

extern "C" {

NYPR_API int32_t NYPR_STDCALL NyPrIsPrintFinished(uint8_t printerNo, uint16_t* remaining,
                                                  int32_t mode, uint32_t logValue) {
  return nypr::isPrintFinished(printerNo, remaining, mode, logValue);
}

NYPR_API int32_t NYPR_STDCALL NyPrWaitPrintFinished(uint8_t printerNo, int32_t mode) {
  if (printerNo < 1 || printerNo > nypr::kSlotCount) return 0;
  return nypr::waitPrintFinished(printerNo, mode);
}

NYPR_API int32_t NYPR_STDCALL NyPrWaitJobEnd(void* slot, uint32_t /*unused*/, NyHwnd owner) {
  auto* record = static_cast<nypr::PrinterSlot*>(slot);
  if (record != nullptr) {
    bool known = false;
    for (nypr::PrinterSlot& s : nypr::stKtRSE) known = known || &s == record;
    if (!known) return -1;
  }
  return nypr::waitJobEnd(record, owner);
}

NYPR_API int32_t NYPR_STDCALL NyPrStopPrint(uint8_t printerNo) {
  return nypr::stopPrint(printerNo);
}

NYPR_API int32_t NYPR_STDCALL NyPrIsPrintReady(uint8_t slotIndex, uint16_t operation) {
  if (!nypr::isValidSlotIndex(slotIndex)) return 0;
  return nypr::isPrintReady(slotIndex, operation);
}

NYPR_API int32_t NYPR_STDCALL NyPrFeedLabel(uint8_t printerNo, PrintJobST* job) {
  return nypr::feedLabel(printerNo, job);
}

NYPR_API int32_t NYPR_STDCALL NyPrSendPrintAutoCut(uint8_t slotIndex) {
  if (!nypr::isValidSlotIndex(slotIndex)) return 0;
  return nypr::sendPrintAutoCut(slotIndex);
}

}  // extern "C"
