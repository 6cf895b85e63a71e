// Opening and closing the main link's connections.
#include "link/connection.h"

#include "core/host_api.h"
#include "platform/clock.h"
#include "platform/ui.h"
#include "status/error_text.h"

namespace nypr {
namespace {

using namespace platform;

// A new command connection right after a close would meet the printer still tearing
// down the old one.
constexpr uint32_t kCommandReopenPauseMs = 50;
constexpr int kConnectTimeoutMs = 5000;
constexpr int kSocketTimeoutMs = 10000;
constexpr uint32_t kPeerCloseWaitMs = 100;
// A printer that keeps talking after our close must not hold the close forever.
constexpr int kDrainLimitBytes = 64 * 1024;

void* asPtr(SocketHandle s) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(s));
}

SocketHandle& socketField(PrinterSlot& slot, int isFin) {
  return isFin ? slot.skFin : slot.skKT;
}

}  // namespace

SocketHandle openSlotSocket(uint8_t n, int forceNew, int isFin, PendingConnectError* pending) {
  printd("KT36R CreateSocket(%i, %i, %i)...\r\n", n, forceNew, isFin);
  if (!isValidSlotIndex(n)) return kInvalidSocket;
  // A socket is opened, closed or changed only between this printer's exchanges.
  CriticalSectionLock lock(printerLock(n));
  PrinterSlot& slot = stKtRSE[n];
  slot.dwError = static_cast<int32_t>(kNoError);
  slot.dwLastError = kNoError;

  const KtrInfo& info = slot.CurKTRInfoST;
  const uint16_t port = isFin ? info.PortFinUW : info.PortComUW;
  if (info.IpAddrUL == 0 || port == 0) {
    slot.dwLastError = kErrNoAddress;
    printd(isFin ? "KT36R CreateSocket() - bad setting @1.\r\n"
                 : "KT36R CreateSocket() - bad setting @2.\r\n");
    return kInvalidSocket;
  }

  SocketHandle& field = socketField(slot, isFin);
  if (isOpenSocket(field)) {
    if (!forceNew) {
      printd(isFin ? "KT36R CreateSocket() - return current existing FIN socket(%i).\r\n"
                   : "KT36R CreateSocket() - return current existing COM socket(%i).\r\n",
             static_cast<int>(field));
      return field;
    }
    KT36R_CloseSocket(n, isFin);
  }

  waitReopenPause(n, isFin);

  field = netTcpSocket();
  if (field == kInvalidSocket) {
    slot.dwLastError = kErrSocketConnect;
    slot.dwError = netLastError();
    printd("KT36R CreateSocket() - failed, WLE=%i.\r\n", slot.dwError);
    return kInvalidSocket;
  }

  SetTimeOut(n, kSocketTimeoutMs, kSocketTimeoutMs, isFin);

  NetSockAddrIn addr{kNetAfInet, netHtons(port), netHtonl(info.IpAddrUL), {}};
  if (SockConnectTimeoutFnI(&addr, sizeof addr, kConnectTimeoutMs, isFin, n) == 0) {
    printd("KT36R CreateSocket() - succeeded, COM(%i), FIN(%i).\r\n", static_cast<int>(slot.skKT),
           static_cast<int>(slot.skFin));
    return field;
  }

  KT36R_CloseSocket(n, isFin);
  if (pending != nullptr) pending->note(slot);
  return kInvalidSocket;
}

void showPendingConnectError(uint8_t n, const PendingConnectError& pending) {
  if (!pending.pending || !isValidSlotIndex(n)) return;
  pending.show(stKtRSE[n], [n] { ShowPrinterErrorFnI(focusWindow(), n); });
  printd("KT36R CreateSocket() - failed.\r\n");
}

SocketHandle KT36R_CreateSocket(uint8_t n, int forceNew, int isFin) {
  PendingConnectError pending;
  const SocketHandle s = openSlotSocket(n, forceNew, isFin, &pending);
  showPendingConnectError(n, pending);
  return s;
}

void waitReopenPause(uint8_t n, int isFin) {
  if (isFin || !isValidSlotIndex(n)) return;
  CriticalSectionLock lock(printerLock(n));
  const PrinterSlot& slot = stKtRSE[n];
  if (isOpenSocket(slot.skKT)) return;
  const uint32_t elapsed = tickCount() - slot.dwCloseTick;
  if (elapsed < kCommandReopenPauseMs) sleepMs(kCommandReopenPauseMs - elapsed);
}

void KT36R_CloseSocket(uint8_t n, int isFin) {
  printd("KT36R CloseSocket(%i, %i)...\r\n", n, isFin);
  if (!isValidSlotIndex(n)) return;
  CriticalSectionLock lock(printerLock(n));
  PrinterSlot& slot = stKtRSE[n];
  SocketHandle& field = socketField(slot, isFin);
  if (!isOpenSocket(field)) return;
  netSetLastError(0);
  s_closesocket(field, 2000);
  field = kInvalidSocket;
  if (!isFin) slot.dwCloseTick = tickCount();
}

int SockConnectTimeoutFnI(const NetSockAddrIn* addr, int addrLen, int timeoutMs, int isFin,
                          uint8_t n) {
  if (!isValidSlotIndex(n)) return -1;
  PrinterSlot& slot = stKtRSE[n];
  const SocketHandle s = socketField(slot, isFin);

  EnableBIO(s, 1);
  if (netConnect(s, addr, addrLen) == 0) {
    EnableBIO(s, 0);
    return 0;
  }
  const int err = netLastError();
  if (err != kNetWouldBlock) {
    EnableBIO(s, 0);
    slot.dwLastError = kErrSocket;
    slot.dwError = err;
    return -1;
  }

  const NetConnectWait waited = netWaitConnect(s, timeoutMs > 0 ? timeoutMs : 0);
  const int pending = SockGetErrorFnI(s);
  EnableBIO(s, 0);
  switch (waited) {
    case NetConnectWait::Connected:
      return 0;
    case NetConnectWait::TimedOut:
      slot.dwLastError = kErrSocket;
      slot.dwError = kNetTimedOut;
      return -1;
    case NetConnectWait::Failed:
    case NetConnectWait::Refused:
    default:
      slot.dwLastError = kErrSocket;
      slot.dwError = pending;
      return -1;
  }
}

int EnableBIO(SocketHandle s, int mode) {
  return netSetNonBlocking(s, mode != 0);
}

int SockGetErrorFnI(SocketHandle s) {
  int error = 0;
  return netPendingError(s, &error) == 0 ? error : -1;
}

int16_t SetTimeOut(uint8_t n, int recvTimeoutMs, int sendTimeoutMs, int isFin) {
  if (!isValidSlotIndex(n)) return -3;
  CriticalSectionLock lock(printerLock(n));
  const SocketHandle s = socketField(stKtRSE[n], isFin);
  int16_t result = 0;
  // The send time-out is set even when the receive one failed.
  if (recvTimeoutMs < 0 || netSetReceiveTimeout(s, static_cast<uint32_t>(recvTimeoutMs)) != 0) {
    result -= 1;
  }
  if (sendTimeoutMs < 0 || netSetSendTimeout(s, static_cast<uint32_t>(sendTimeoutMs)) != 0) {
    result -= 2;
  }
  return result;
}

int s_closesocket(SocketHandle s, int /*timeoutMs*/) {
  if (!isOpenSocket(s)) return 0;
  int result = 0;

  const bool watching = netWatchPeerClose(s) == 0;
  if (!watching) {
    printd("<socket>%p WSAEventSelect(%p, FD_CLOSE) failed, err=%d\r\n", asPtr(s), nullptr,
           netLastError());
  }

  if (netShutdown(s, kNetShutdownSend) != 0) {
    result = 1;
    printd("<socket>%p shutdown(SD_SEND) failed, err=%d\r\n", asPtr(s), netLastError());
  }

  bool peerClosed = false;
  if (watching) {
    const int waited = netWaitPeerClose(s, kPeerCloseWaitMs);
    peerClosed = waited == 1;
    if (!peerClosed) {
      printd("<socket>%p wait close timeout, ret=%d, LE=%d.\r\n", asPtr(s), waited, netLastError());
    }
  }

  if (!peerClosed) {
    char discard[100];
    for (int drained = 0; drained < kDrainLimitBytes;) {
      const int got = netRecv(s, discard, sizeof discard);
      if (got == 0) break;
      if (got < 0) {
        printd("<socket>shutdown: recv() failed, err=%d\r\n", netLastError());
        break;
      }
      drained += got;
    }
  }

  if (netShutdown(s, kNetShutdownReceive) != 0) {
    result = -2;
    printd("<socket>%p shutdown(0) failed, err=%d\r\n", asPtr(s), netLastError());
  }
  if (netClose(s) != 0) {
    result = -1;
    printd("<socket>%p closesocket() failed, err=%d\r\n", asPtr(s), netLastError());
  }
  return result;
}

}  // namespace nypr
