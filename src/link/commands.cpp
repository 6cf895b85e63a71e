#include "link/commands.h"

#include <algorithm>
#include <cstring>

#include "core/host_api.h"
#include "core/slots.h"
#include "core/wait_cursor.h"
#include "link/command_table.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link/frame.h"
#include "platform/clock.h"
#include "platform/host_file.h"
#include "status/error_text.h"

namespace nypr {
namespace {

using platform::CriticalSectionLock;

constexpr int kBufferSize = 100;
constexpr int kProgramBufferSize = 612;
constexpr int kProgramBlockSize = 512;

// Frames the payload standing at send + 5 and exchanges it on the slot.
int exchangeFrame(uint8_t n, char* send, int payloadLen, char* recv, int recvSize, int flags,
                  int isFin) {
  return exchangeWithBuffers(n, send, KtMakeFrameFnI(send, payloadLen), recv, recvSize, flags,
                             isFin);
}

int exchangeCommand(uint8_t n, char* send, int commandNo, char* recv, int flags = 0,
                    int isFin = 0) {
  return exchangeFrame(n, send, KtGetCmdLenFnI(commandNo, 0), recv, kBufferSize, flags, isFin);
}

// Copies the answer payload to the caller's buffer and judges the failure flag. A field
// past a short answer's end reads as zero (the exchange clears the rest of the buffer).
int judgeFlag(uint8_t n, const char* recv, int answerLen, char* answer, int flagOffset,
              uint32_t failureCode) {
  if (answer) std::memcpy(answer, recv + kFrameHeadLen, static_cast<size_t>(answerLen));
  if (recv[kFrameHeadLen + flagOffset] == '1') {
    stKtRSE[n].dwLastError = failureCode;
    return 0;
  }
  return 1;
}

// Commands without data whose answer has one failure flag at offset 8.
int flagCommand(uint8_t n, int commandNo, uint32_t failureCode, bool closeCommand) {
  if (!isValidSlotIndex(n)) return 0;
  // The answer is read before another call on this printer lends its buffers.
  CriticalSectionLock lock(printerLock(n));
  char send[kBufferSize] = {};
  char recv[kBufferSize] = {};
  int received;
  {
    WaitCursor cursor;
    KtSetCmdHeaderFnV(send + kFrameHeadLen, commandNo);
    received = exchangeCommand(n, send, commandNo, recv);
    if (closeCommand) KT36R_CloseSocket(n, 0);
  }
  if (received <= 0) return 0;
  return judgeFlag(n, recv, 0, nullptr, 8, failureCode);
}

}  // namespace

void KtAdjustDistanceRequest(char* payload) {
  char* distance = payload + 9;
  if (payload[8] != '1') {
    std::memcpy(distance, "001", 3);
  } else {
    const int value = KtReadNumber(distance, 3);
    if (value < 1) std::memcpy(distance, "001", 3);
    if (value > 250) std::memcpy(distance, "250", 3);
  }
  if (payload[12] == '0') std::memset(payload + 13, '0', 9);
}

int KtBuzzerTestFnBL(uint8_t n) {
  return flagCommand(n, kCmdBZS, kErrBuzzerTest, true);
}

int KtLedTestFnBL(uint8_t n) {
  return flagCommand(n, kCmdLES, kErrLedTest, true);
}

int KtMotorTestStartFnBL(uint8_t n) {
  return flagCommand(n, kCmdMIS, kErrMotorTestStart, false);
}

int KtMotorTestEndFnBL(uint8_t n) {
  return flagCommand(n, kCmdMES, kErrMotorTestEnd, false);
}

int KtMotorTestFnBL(uint8_t n, int firstChoice, int secondChoice) {
  if (!isValidSlotIndex(n)) return 0;
  // The answer is read before another call on this printer lends its buffers.
  CriticalSectionLock lock(printerLock(n));
  char send[kBufferSize] = {};
  char recv[kBufferSize] = {};
  int received;
  {
    WaitCursor cursor;
    char* payload = send + kFrameHeadLen;
    KtSetCmdHeaderFnV(payload, kCmdMTS);
    payload[8] = firstChoice == 1 ? '0' : '1';
    payload[9] = secondChoice == 1 ? '1' : '0';
    received = exchangeCommand(n, send, kCmdMTS, recv);
  }
  if (received <= 0) return 0;
  return judgeFlag(n, recv, 0, nullptr, 8, kErrMotorTest);
}

int KtCardTestFnBL(uint8_t n, int cardNo, char* answer) {
  if (!isValidSlotIndex(n)) return 0;
  // The answer is read before another call on this printer lends its buffers.
  CriticalSectionLock lock(printerLock(n));
  if (cardNo < 0 || cardNo > 9) {
    stKtRSE[n].dwLastError = kErrCardTest;  // one digit on the wire: no such card
    return 0;
  }
  char send[kBufferSize] = {};
  char recv[kBufferSize] = {};
  int received;
  {
    WaitCursor cursor;
    char* payload = send + kFrameHeadLen;
    KtSetCmdHeaderFnV(payload, kCmdCDS);
    payload[8] = static_cast<char>('0' + cardNo);
    received = exchangeCommand(n, send, kCmdCDS, recv);
    KT36R_CloseSocket(n, 0);
  }
  if (received <= 0) return 0;
  return judgeFlag(n, recv, 41, answer, 40, kErrCardTest);
}

int KtSetAddressFnBL(uint8_t n, char* request, char* answer) {
  if (!isValidSlotIndex(n) || !request) return 0;
  // The answer is read before another call on this printer lends its buffers.
  CriticalSectionLock lock(printerLock(n));
  char send[kBufferSize] = {};
  char recv[kBufferSize] = {};
  int received;
  {
    WaitCursor cursor;
    KtSetCmdHeaderFnV(request, kCmdADS);
    std::memcpy(send + kFrameHeadLen, request, 59);
    received = exchangeCommand(n, send, kCmdADS, recv);
    KT36R_CloseSocket(n, 0);
  }
  if (received <= 0) return 0;
  const char* reply = recv + kFrameHeadLen;
  if (answer) std::memcpy(answer, reply, 62);
  const int status = KtReadNumber(reply + 8, 3);
  if (reply[61] == '1' || status != 0) {
    stKtRSE[n].dwLastError = static_cast<uint32_t>(status);
    return 0;
  }
  return 1;
}

int KtGetGapMarkFnBL(uint8_t n, char* request, char* answer) {
  if (!isValidSlotIndex(n) || !request) return 0;
  // The answer is read before another call on this printer lends its buffers.
  CriticalSectionLock lock(printerLock(n));
  char send[kBufferSize] = {};
  char recv[kBufferSize] = {};
  int received;
  {
    WaitCursor cursor;
    KtSetCmdHeaderFnV(request, kCmdGMS);
    if (request[8] == '0') std::memset(request + 8, '0', 10);  // reading sends no values
    std::memcpy(send + kFrameHeadLen, request, 18);
    received = exchangeCommand(n, send, kCmdGMS, recv, 0, 1);
    KT36R_CloseSocket(n, 1);
  }
  if (received <= 0) return 0;
  return judgeFlag(n, recv, 21, answer, 20, kErrGapMark);
}

int KtGetHeadDistanceFnBL(uint8_t n, char* request, char* answer) {
  if (!isValidSlotIndex(n) || !request) return 0;
  // The answer is read before another call on this printer lends its buffers.
  CriticalSectionLock lock(printerLock(n));
  char send[kBufferSize] = {};
  char recv[kBufferSize] = {};
  int received;
  {
    WaitCursor cursor;
    KtSetCmdHeaderFnV(request, kCmdLRS);
    KtAdjustDistanceRequest(request);
    std::memcpy(send + kFrameHeadLen, request, 22);
    received = exchangeCommand(n, send, kCmdLRS, recv, 0, 0);
    // The command connection stays for the callers' next query.
    KT36R_CloseSocket(n, 1);
  }
  if (received <= 0) return 0;
  return judgeFlag(n, recv, 32, answer, 31, kErrHeadDistance);
}

int KtTestPrintFnBL(uint8_t n, char* request) {
  if (!isValidSlotIndex(n) || !request) return 0;
  // The answer is read before another call on this printer lends its buffers.
  CriticalSectionLock lock(printerLock(n));
  char send[kBufferSize] = {};
  char recv[kBufferSize] = {};
  int received;
  {
    WaitCursor cursor;
    KtSetCmdHeaderFnV(request, kCmdPTS);
    std::memcpy(send + kFrameHeadLen, request, 15);
    received = exchangeCommand(n, send, kCmdPTS, recv);
    KT36R_CloseSocket(n, 0);
  }
  if (received <= 0) return 0;
  if (!judgeFlag(n, recv, 0, nullptr, 11, kErrTestPrint)) return 0;
  stKtRSE[n].dwActTick = platform::tickCount();
  return 1;
}

int KtSendProgramFnBL(uint8_t n, const char* fileName) {
  if (!isValidSlotIndex(n)) return 0;
  PrinterSlot& slot = stKtRSE[n];
  char send[kProgramBufferSize] = {};
  char recv[kBufferSize] = {};
  char* payload = send + kFrameHeadLen;
  NyHfile file = NY_INVALID_FILE;
  int result = 0;
  WaitCursor cursor;

  do {
    KtSetCmdHeaderFnV(payload, kCmdINS);
    int received = exchangeCommand(n, send, kCmdINS, recv);
    if (received <= 0) break;
    const int status = KtReadNumber(recv + kFrameHeadLen + 8, 3);
    if (status != 0) {
      slot.dwLastError = static_cast<uint32_t>(status);
      break;
    }

    file = fileName ? OpenFileFnHF(fileName, 0) : NY_INVALID_FILE;
    if (file == NY_INVALID_FILE) break;

    // Each block carries 512 bytes; a short last block goes out whole, its tail still
    // holding the block before (the printer takes fixed-size blocks).
    bool transferred = true;
    KtSetCmdHeaderFnV(payload, kCmdIDS);
    for (int block = 0;; ++block) {
      const int got = platform::hostFileRead(file, payload + 12, kProgramBlockSize);
      if (got < 0) {
        slot.dwLastError = kErrProgramData;  // the file could not be read
        transferred = false;
        break;
      }
      const bool last = got < kProgramBlockSize;
      if (last) {
        platform::hostFileClose(file);
        file = NY_INVALID_FILE;
      }
      if (got == 0) break;
      KtPutNum4FnV(block, payload + 8);
      received = exchangeFrame(n, send, KtGetCmdLenFnI(kCmdIDS, 0), recv, kBufferSize, 0, 0);
      if (received <= 0) {
        transferred = false;
        break;
      }
      if (last) break;
    }
    if (!transferred) break;

    KtSetCmdHeaderFnV(payload, kCmdINE);
    received = exchangeCommand(n, send, kCmdINE, recv);
    if (received <= 0) break;
    if (recv[kFrameHeadLen + 8] == '1') {
      slot.dwLastError = kErrProgramData;
      break;
    }
    result = 1;
  } while (false);

  if (file != NY_INVALID_FILE) platform::hostFileClose(file);
  KT36R_CloseSocket(n, 0);
  return result;
}

}  // namespace nypr
