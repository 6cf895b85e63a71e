#include "link/exchange.h"

#include <cstring>
#include <string>

#include "core/host_api.h"
#include "core/slots.h"
#include "link/connection.h"
#include "link/frame.h"
#include "link/log_text.h"
#include "link/socket_receive.h"
#include "status/error_text.h"

namespace nypr {
namespace {

using namespace platform;

// Frames longer than this are not copied into the log (program and image blocks).
constexpr int kLogFrameLimit = 500;
constexpr int kReceiveAttempts = 3;

const Cp932Text kLog101{"(詳細ログ@101)TCPモード：PCから-->KT3600Rの送信バッファ(%s)。\r\n"};
const Cp932Text kLog103{
    "(詳細ログ@103)PCから-->KT3600Rの送信が失敗しました。(ret == 0)エラーｺｰﾄﾞ：%d;\r\n"};
const Cp932Text kLog104{
    "(詳細ログ@104)PCから-->KT3600Rの送信が失敗しました。(ret == SOCKET_ERROR);\r\n"};
const Cp932Text kLog105{
    "(詳細ログ@105)PCから-->KT3600Rの送信が失敗しました。(WSAGetLastError()==WSAECONNRESET);\r\n"};
const Cp932Text kLog106{
    "(詳細ログ@106)PCから-->KT3600Rの送信が失敗しました。@リトライのKT36R_CreateSocketが成功しまし"
    "た。\r\n"};
const Cp932Text kLog107{"(詳細ログ@107)TCPモード：PCから-->KT3600Rの@再送信バッファ(%s)。\r\n"};
const Cp932Text kLog108{
    "(詳細ログ@108)PCから-->KT3600Rの送信が失敗しました。@リトライのKT36R_CreateSocketが失敗しまし"
    "た。\r\n"};
const Cp932Text kLog109{
    "(詳細ログ@109)PCから-->KT3600Rの@再送信が失敗しました。(ret == SOCKET_ERROR);\r\n"};
const Cp932Text kLog110Attempt{"(詳細ログ@110@)KT3600Rから-->PCの受信%d回目です。\r\n"};
const Cp932Text kLog110Received{
    "(詳細ログ@110@)KT3600Rから-->PCの受信が成功しました。受信バッファ長さ:%d;受信バッファ内容："
    "%s\r\n"};
const Cp932Text kLog110{"(詳細ログ@110)KT3600Rから-->PCの受信が失敗しました。(ret == 0);\r\n"};
const Cp932Text kLog111{
    "(詳細ログ@111)KT3600Rから-->PCの受信が失敗しました。(ret == SOCKET_ERROR);\r\n"};
const Cp932Text kLog112{
    "(詳細ログ@112)KT3600Rから-->PCの受信が失敗しました。(WSAGetLastError()==WSAECONNRESET);\r\n"};
const Cp932Text kLog113{
    "(詳細ログ@113)KT3600Rから-->PCの受信が失敗しました。@リトライのKT36R_CreateSocketが成功しまし"
    "た。\r\n"};
const Cp932Text kLog114{"(詳細ログ@114)KT3600Rから-->PCの再受信をしました。受信長さ：%d。\r\n"};
const Cp932Text kLog115{"(詳細ログ@115)KT3600Rから-->PCの再受信が失敗しました。受信長さ：0。\r\n"};
const Cp932Text kLog116{
    "(詳細ログ@116)KT3600Rから-->PCの受信が失敗しました。@リトライのKT36R_CreateSocketが失敗しまし"
    "た。\r\n"};
const Cp932Text kLog117{
    "(詳細ログ@117)KT3600Rから-->PCの再受信が失敗しました。 (ret == SOCKET_ERROR)。\r\n"};

// The exchange proper, under the exchange lock. A failed connect's error box waits in
// `pending` until the lock is left.
int exchangeUnderLock(uint8_t n, int flags, int isFin, PendingConnectError* pending) {
  PrinterSlot& slot = stKtRSE[n];
  slot.dwError = static_cast<int32_t>(kNoError);
  slot.dwLastError = kNoError;

  SocketHandle s = openSlotSocket(n, 0, isFin, pending);
  if (s == kInvalidSocket) return kExNoSocket;
  s = isFin ? slot.skFin : slot.skKT;

  bool sentRequest = false;
  if (slot.lpSendBuf && slot.SendSize >= 1 && !(flags & kExReceiveOnly)) {
    slot.lpSendBuf[slot.SendSize] = 0;  // the frame is logged as text
    if (slot.SendSize <= kLogFrameLimit) printlog_detail("INF", kLog101.get(), slot.lpSendBuf);
    int sent = netSend(s, slot.lpSendBuf, slot.SendSize);
    int err = netLastError();
    if (sent == 0) {
      slot.dwLastError = kErrSocketSend;
      slot.dwError = err;
      printlog_detail("ERR", kLog103.get(), err);
      return kExSendZero;
    }
    if (sent < 0) {
      printlog_detail("ERR", kLog104.get());
      if (err == kNetConnReset && !(flags & kExNoResetRetry)) {
        printlog_detail("ERR", kLog105.get());
        const SocketHandle again = openSlotSocket(n, 0, isFin, pending);
        if (again != kInvalidSocket) {
          printlog_detail("INF", kLog106.get());
          s = again;
          if (slot.SendSize <= kLogFrameLimit)
            printlog_detail("INF", kLog107.get(), slot.lpSendBuf);
          sent = netSend(s, slot.lpSendBuf, slot.SendSize);
          err = netLastError();
        } else {
          printlog_detail("ERR", kLog108.get());
        }
      }
      if (sent <= 0) {
        printlog_detail("ERR", kLog109.get());
        slot.dwLastError = kErrSocketSend;
        slot.dwError = err;
        return kExSendFailed;
      }
    }
    sentRequest = true;
  }

  if (!slot.lpRecvBuf || slot.RecvSize < 1 || (flags & kExSendOnly)) return 0;

  for (int attempt = 1; attempt <= kReceiveAttempts; ++attempt) {
    printlog_detail("INF", kLog110Attempt.get(), attempt);
    int got = receiveFromPrinter(s, slot.lpRecvBuf, slot.RecvSize);
    int err = netLastError();
    slot.RecvLen = static_cast<uint32_t>(got);
    if (got < 0) {
      printlog_detail("ERR", kLog111.get());
      if (err == kNetConnReset && !(flags & kExNoResetRetry)) {
        printlog_detail("ERR", kLog112.get());
        const SocketHandle again = openSlotSocket(n, 0, isFin, pending);
        if (again != kInvalidSocket) {
          printlog_detail("INF", kLog113.get());
          s = again;
          got = receiveFromPrinter(s, slot.lpRecvBuf, slot.RecvSize);
          err = netLastError();
          slot.RecvLen = static_cast<uint32_t>(got);
          if (got > 0) {
            printlog_detail("INF", kLog114.get(), got);
          } else {
            printlog_detail("ERR", kLog115.get());
          }
        } else {
          printlog_detail("ERR", kLog116.get());
        }
      }
      if (got < 0) {
        printlog_detail("ERR", kLog117.get());
        slot.dwLastError = kErrSocketReceive;
        slot.dwError = err;
        return kExRecvFailed;
      }
    }
    if (got == 0) {
      // The printer ended the stream without an answer.
      printlog_detail("ERR", kLog110.get());
      slot.dwLastError = kErrSocketReceive;
      slot.dwError = err;
      continue;
    }

    // An answer shorter than its command's reads as zeros past its end, never as the
    // bytes of an answer received before it.
    std::memset(slot.lpRecvBuf + got, 0, static_cast<size_t>(slot.RecvSize - got));
    // The log wants text; the answer is not terminated and may fill the buffer.
    const std::string text(slot.lpRecvBuf, static_cast<size_t>(got));
    printlog_detail("INF", kLog110Received.get(), got, text.c_str());
    if (!sentRequest) return got;
    if (KtAnswerMatches(slot.lpSendBuf + kFrameHeadLen, slot.SendSize - kFrameHeadLen,
                        slot.lpRecvBuf, got)) {
      return got;
    }
    // A wrong answer is dropped; the next attempt receives over it.
  }
  slot.dwLastError = kErrSocketReceive;
  return kExNoRightAnswer;
}

}  // namespace

int KtSendRecvExFnI(uint8_t n, int flags, int isFin) {
  if (!isValidSlotIndex(n)) return kExNoSocket;
  CriticalSectionLock printer(printerLock(n));
  // The pause owed to the printer after a close holds up no other printer.
  waitReopenPause(n, isFin);
  PendingConnectError pending;
  int result;
  {
    CriticalSectionLock lock(exchangeLock());
    result = exchangeUnderLock(n, flags, isFin, &pending);
  }
  showPendingConnectError(n, pending);
  return result;
}

int KtSendRecvFnI(uint8_t n) {
  return KtSendRecvExFnI(n, 0, 0);
}

int exchangeWithBuffers(uint8_t n, char* frame, int frameLen, char* recv, int recvSize, int flags,
                        int isFin) {
  if (!isValidSlotIndex(n)) return kExNoSocket;
  CriticalSectionLock lock(printerLock(n));
  PrinterSlot& slot = stKtRSE[n];
  slot.SendSize = frameLen;
  slot.RecvSize = recvSize;
  slot.lpSendBuf = frame;
  slot.lpRecvBuf = recv;
  const int result = KtSendRecvExFnI(n, flags, isFin);
  slot.lpSendBuf = nullptr;
  slot.lpRecvBuf = nullptr;
  return result;
}

}  // namespace nypr
