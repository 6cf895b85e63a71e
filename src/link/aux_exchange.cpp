// The auxiliary channel's exchange: the main link's exchange with the channel's connection
// policy, its own log lines and 60302 for a printer that only gave wrong answers.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/host_api.h"
#include "link/aux_channel.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link/frame.h"
#include "link/socket_receive.h"
#include "status/error_text.h"

namespace nypr {
namespace {

using namespace platform;

constexpr int kReceiveAttempts = 3;
constexpr int kLogFrameChars = 50;

// Image data frames are too many and too long to log.
bool isImageFrame(const PrinterSlot* slot) {
  return slot->SendSize > 20 && slot->lpSendBuf && slot->lpSendBuf[10] == 'D' &&
         slot->lpSendBuf[11] == 'T';
}

std::string logText(const char* bytes, int len) {
  return std::string(bytes, static_cast<size_t>(std::min(len, kLogFrameChars)));
}

// The exchange proper, under the exchange lock; a failed connect's error box waits in
// `pending` until the lock is left.
int exchangeUnderLock(int flags, int isFin, PrinterSlot* slot, PendingConnectError* pending) {
  slot->dwError = static_cast<int32_t>(kNoError);
  slot->dwLastError = kNoError;
  const int printerNo = slot->CurKTRInfoST.PrinterNoUB;
  const int portNo = isFin ? kPortFinish : kPortCommand;

  SocketHandle s = openAuxSocket(0, isFin, slot, pending);
  if (s == kInvalidSocket) return kExNoSocket;
  const bool quiet = isImageFrame(slot);

  bool sentRequest = false;
  if (slot->lpSendBuf && slot->SendSize >= 1 && !(flags & kExReceiveOnly)) {
    slot->lpSendBuf[slot->SendSize] = 0;
    if (!quiet) {
      printd("[%d]%i -->> %.50s...\r\n", printerNo, portNo,
             logText(slot->lpSendBuf, slot->SendSize).c_str());
    }
    int sent = netSend(s, slot->lpSendBuf, slot->SendSize);
    int err = netLastError();
    if (sent == 0) {
      printd("[%d]send() failed, err=%d\r\n", printerNo, err);
      slot->dwLastError = kErrSocketSend;
      slot->dwError = err;
      return kExSendZero;
    }
    if (sent < 0) {
      printd("[%d]send() failed, err=%d\r\n", printerNo, err);
      if (err == kNetConnReset && !(flags & kExNoResetRetry)) {
        const SocketHandle again = openAuxSocket(0, isFin, slot, pending);
        if (again != kInvalidSocket) {
          s = again;
          sent = netSend(s, slot->lpSendBuf, slot->SendSize);
          err = netLastError();
          if (sent < 0) printd("[%d]send() failed, err=%d\r\n", printerNo, err);
        }
      }
      if (sent <= 0) {
        slot->dwLastError = kErrSocketSend;
        slot->dwError = err;
        return kExSendFailed;
      }
    }
    sentRequest = true;
  }

  if (!slot->lpRecvBuf || slot->RecvSize < 1 || (flags & kExSendOnly)) return 0;

  uint32_t firstProblem = 0;
  for (int attempt = 1; attempt <= kReceiveAttempts; ++attempt) {
    int got = receiveFromPrinter(s, slot->lpRecvBuf, slot->RecvSize);
    int err = netLastError();
    if (got < 0) {
      if (err == kNetConnReset && !(flags & kExNoResetRetry)) {
        const SocketHandle again = openAuxSocket(0, isFin, slot, pending);
        if (again != kInvalidSocket) {
          s = again;
          got = receiveFromPrinter(s, slot->lpRecvBuf, slot->RecvSize);
          err = netLastError();
          if (got < 0) printd("[%d]recv(%d) failed-5, err=%d\r\n", printerNo, slot->RecvSize, err);
        }
      }
      if (got < 0) {
        printd("[%d]%i recv(%d) failed-6, err=%d\r\n", printerNo, portNo, slot->RecvSize, err);
        slot->dwLastError = kErrSocketReceive;
        slot->dwError = err;
        return kExRecvFailed;
      }
    }
    if (got == 0) {
      printd("[%d]%i recv(%d) failed-4, err=%d\r\n", printerNo, portNo, slot->RecvSize, err);
      if (!firstProblem) firstProblem = kErrSocketReceive;
      slot->dwError = err;
      continue;
    }

    // Past the answer's end the buffer reads as zeros, never as an earlier answer.
    std::memset(slot->lpRecvBuf + got, 0, static_cast<size_t>(slot->RecvSize - got));
    if (!quiet)
      printd("[%d]%i --<< %.50s...\r\n", printerNo, portNo, logText(slot->lpRecvBuf, got).c_str());
    if (!sentRequest) return got;
    if (SE_AnswerMatches(slot->lpSendBuf + kFrameHeadLen, slot->SendSize - kFrameHeadLen,
                         slot->lpRecvBuf, got)) {
      return got;
    }
    if (!firstProblem) firstProblem = kErrWrongAnswer;
  }
  slot->dwLastError = firstProblem;
  return kExNoRightAnswer;
}

}  // namespace

int SE_SendRecvFnI(int flags, int isFin, PrinterSlot* slot) {
  if (!slot) return kExNoSocket;
  CriticalSectionLock printer(printerLock(slot));
  PendingConnectError pending;
  int result;
  {
    CriticalSectionLock lock(exchangeLock());
    result = exchangeUnderLock(flags, isFin, slot, &pending);
  }
  showPendingAuxConnectError(slot, pending);
  return result;
}

int SE_SendRecvComFnI(PrinterSlot* slot) {
  return SE_SendRecvFnI(0, 0, slot);
}

}  // namespace nypr
