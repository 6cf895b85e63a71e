// The three commands of the auxiliary channel the driver sends: auto cut, cut position,
// head check.
#include <cstring>

#include "core/host_api.h"
#include "core/wait_cursor.h"
#include "link/aux_channel.h"
#include "link/connection.h"
#include "link/frame.h"
#include "status/error_text.h"

namespace nypr {
namespace {

using platform::CriticalSectionLock;

constexpr int kBufferSize = 100;
constexpr int kHeadCheckBufferSize = 250;

// Frames the payload standing at send + 5 and exchanges it on the command connection. The
// buffers are lent to the slot and taken back under the printer's lock.
int exchangeFrame(PrinterSlot* slot, char* send, int payloadLen, char* recv, int recvSize) {
  CriticalSectionLock lock(printerLock(slot));
  slot->SendSize = SE_MakeFrameFnI(send, payloadLen);
  slot->RecvSize = recvSize;
  slot->lpSendBuf = send;
  slot->lpRecvBuf = recv;
  const int result = SE_SendRecvComFnI(slot);
  slot->lpSendBuf = nullptr;
  slot->lpRecvBuf = nullptr;
  return result;
}

// Copies the answer payload and judges the failure flag at offset 11. A field past a short
// answer's end reads as zero (the exchange clears the rest of the buffer).
int judgeAnswer(PrinterSlot* slot, const char* recv, char* answer, int answerLen,
                uint32_t failureCode) {
  if (answer) std::memcpy(answer, recv + kFrameHeadLen, static_cast<size_t>(answerLen));
  if (recv[kFrameHeadLen + 11] == '1') {
    slot->dwLastError = failureCode;
    return 0;
  }
  return 1;
}

// The number at the start of `text`, as C's atoi reads it: blanks skipped, a sign, then
// digits; no digits read as 0. The text is NUL-terminated within its buffer.
int readLeadingNumber(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  return negative ? -KtReadNumber(text, 9) : KtReadNumber(text, 9);
}

}  // namespace

int SE_AutoCutFnBL(PrinterSlot* slot, int kind) {
  if (!slot) return 0;
  // The answer is read before another call on this printer lends its buffers.
  CriticalSectionLock lock(printerLock(slot));
  char send[kBufferSize] = {};
  char recv[kBufferSize + 1] = {};  // stays terminated when the answer fills the buffer
  WaitCursor cursor;
  const int commandNo = kind == kKindKt3600r ? kSeCmdCTS : kSeCmdACS;
  SE_SetCmdHeaderFnV(send + kFrameHeadLen, commandNo, kind);
  const int received = exchangeFrame(slot, send, SE_GetCmdLenFnI(commandNo), recv, kBufferSize);
  int result = 0;
  if (received > 0) {
    // The printer's cut result follows the code: 0 done, else its error number. Anything
    // that is no number there reads as 0: the cut is taken as done.
    const int number = readLeadingNumber(recv + kFrameHeadLen + kPayloadCodeEnd);
    if (number != 0) {
      slot->dwLastError = static_cast<uint32_t>(number);
    } else {
      result = 1;
    }
  }
  SE_CloseSocketFnV(0, slot);
  return result;
}

int SE_GetCutPositionFnBL(PrinterSlot* slot, char* request, char* answer, int kind) {
  if (!slot || !request) return 0;
  // The answer is read before another call on this printer lends its buffers.
  CriticalSectionLock lock(printerLock(slot));
  char send[kBufferSize] = {};
  char recv[kBufferSize] = {};
  SE_SetCmdHeaderFnV(request, kSeCmdCPS, kind);
  std::memcpy(send + kFrameHeadLen, request, 10);
  const int received = exchangeFrame(slot, send, SE_GetCmdLenFnI(kSeCmdCPS), recv, kBufferSize);
  if (received <= 0) return 0;
  return judgeAnswer(slot, recv, answer, 35, kErrCutPosition);
}

int SE_HeadCheckFnBL(PrinterSlot* slot, char* request, char* answer, int kind) {
  if (!slot || !request) return 0;
  // The answer is read before another call on this printer lends its buffers.
  CriticalSectionLock lock(printerLock(slot));
  char send[kBufferSize] = {};
  char recv[kHeadCheckBufferSize] = {};
  int received;
  {
    WaitCursor cursor;
    SE_SetCmdHeaderFnV(request, kSeCmdHCS, kind);
    std::memcpy(send + kFrameHeadLen, request, 20);
    received = exchangeFrame(slot, send, SE_GetCmdLenFnI(kSeCmdHCS), recv, kHeadCheckBufferSize);
    SE_CloseSocketFnV(0, slot);
  }
  if (received <= 0) return 0;
  return judgeAnswer(slot, recv, answer, 217, kErrHeadCheck);
}

}  // namespace nypr
