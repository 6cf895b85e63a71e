// Opening and closing connections for the auxiliary channel.
#include <algorithm>

#include "core/host_api.h"
#include "link/connection.h"
#include "link/log_text.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "platform/ui.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"

namespace nypr {
namespace {

using namespace platform;

// After any close the printer gets 100 ms before the channel connects again.
constexpr uint32_t kReopenPauseMs = 100;
constexpr int kConnectAttempts = 5;
constexpr int kConnectTimeoutStepMs = 500;
constexpr uint32_t kRetryPauseMs = 500;
// No exchange of the channel may wait forever on a socket it opened.
constexpr uint32_t kSocketTimeoutMs = 10000;

const Cp932Text kLogFinSock{"(詳細ログ) SE_CreateSocket IsFinSock...\r\n"};
const Cp932Text kLogIpNotSet{"(詳細ログ)SE_CreateSocket ip not set.。\r\n"};
const Cp932Text kLogIp2NotSet{"(詳細ログ)SE_CreateSocket ip2 not set.。\r\n"};
const Cp932Text kLogExisting{
    "(詳細ログ)SE_CreateSocket [%d]return current existing socket(%p).\r\n"};
const Cp932Text kLogDelay{"(詳細ログ)SE_CreateSocket <K52> delay %dms...\r\n"};
const Cp932Text kLogConnectFailed{
    "(詳細ログ)SE_CreateSocket connect to %d.%d.%d.%d:%d failed, LE=%d, try again...\r\n"};
const Cp932Text kLogSocketFailed{"(詳細ログ)SE_CreateSocket [%d]socket() failed, LE=%d\r\n"};
const Cp932Text kLogAborted{"(詳細ログ)SE_CreateSocket connect aborted.\r\n"};
const Cp932Text kLogConnected{
    "(詳細ログ)SE_CreateSocket [%d]connected to %d.%d.%d.%d:%d, socket(%p).\r\n"};

void* asPtr(SocketHandle s) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(s));
}

SocketHandle& socketField(PrinterSlot* slot, int isFin) {
  return isFin ? slot->skFin : slot->skKT;
}

uint32_t connBit(int isFin) {
  return isFin ? kRseConnFinish : kRseConnCommand;
}

}  // namespace

int SE_ConnectTimeoutMs() {
  const int t = profileReadInt(hostIniPath(), "System Data", "Socket_ConnectTimeout",
                               kSeConnectTimeoutDefault);
  // The floor keeps a slow printer reachable; the ceiling keeps a mistyped INI value from
  // holding the socket-creation lock for days.
  return std::clamp(t, kSeConnectTimeoutMin, kSeConnectTimeoutMax);
}

SocketHandle openAuxSocket(int forceNew, int isFin, PrinterSlot* slot,
                           PendingConnectError* pending) {
  if (!slot) return kInvalidSocket;
  // As the main link's: sockets change only between this printer's exchanges.
  CriticalSectionLock printer(printerLock(slot));
  const int printerNo = slot->CurKTRInfoST.PrinterNoUB;
  slot->dwError = static_cast<int32_t>(kNoError);
  slot->dwLastError = kNoError;
  if (isFin) printlog_detail("INF", kLogFinSock.get());

  const KtrInfo& info = slot->CurKTRInfoST;
  const uint16_t port = isFin ? info.PortFinUW : info.PortComUW;
  if (info.IpAddrUL == 0 || port == 0) {
    printlog_detail("ERR", isFin ? kLogIpNotSet.get() : kLogIp2NotSet.get());
    slot->dwLastError = kErrNoAddress;
    return kInvalidSocket;
  }

  SocketHandle& field = socketField(slot, isFin);
  if (isOpenSocket(field)) {
    if (!forceNew) {
      printlog_detail("INF", kLogExisting.get(), printerNo, asPtr(field));
      return field;
    }
    SE_CloseSocketFnV(isFin, slot);
  }

  const uint32_t elapsed = tickCount() - slot->dwCloseTick;
  if (elapsed < kReopenPauseMs) {
    const uint32_t wait = kReopenPauseMs - elapsed;
    printlog_detail("INF", kLogDelay.get(), static_cast<int>(wait));
    sleepMs(wait);
  }

  const uint32_t ip = info.IpAddrUL;
  NetSockAddrIn addr{kNetAfInet, netHtons(port), netHtonl(ip), {}};
  bool connected = false;
  {
    CriticalSectionLock lock(slotLock());
    slot->dwRseConnFlags &= ~connBit(isFin);
    int timeoutMs = SE_ConnectTimeoutMs();
    for (int attempt = 1; attempt <= kConnectAttempts; ++attempt) {
      field = netTcpSocket();
      if (field == kInvalidSocket) {
        slot->dwLastError = kErrSocketConnect;
        slot->dwError = netLastError();
        printlog_detail("ERR", kLogSocketFailed.get(), printerNo, slot->dwError);
        break;
      }
      if (SE_ConnectFnI(&addr, sizeof addr, timeoutMs, isFin, slot) == 0) {
        connected = true;
        break;
      }
      printlog_detail("ERR", kLogConnectFailed.get(), static_cast<int>(ip >> 24),
                      static_cast<int>((ip >> 16) & 0xFF), static_cast<int>((ip >> 8) & 0xFF),
                      static_cast<int>(ip & 0xFF), static_cast<int>(port), slot->dwError);
      timeoutMs += kConnectTimeoutStepMs;
      netClose(field);
      field = kInvalidSocket;
      if (attempt < kConnectAttempts) sleepMs(kRetryPauseMs);
    }
    if (connected) {
      slot->dwRseConnFlags |= connBit(isFin);
      netSetReceiveTimeout(field, kSocketTimeoutMs);
      netSetSendTimeout(field, kSocketTimeoutMs);
      printlog_detail("INF", kLogConnected.get(), printerNo, static_cast<int>(ip >> 24),
                      static_cast<int>((ip >> 16) & 0xFF), static_cast<int>((ip >> 8) & 0xFF),
                      static_cast<int>(ip & 0xFF), static_cast<int>(port), asPtr(field));
      return field;
    }
    if (slot->dwLastError != kErrSocketConnect) printlog_detail("ERR", kLogAborted.get());
  }

  // Both connections go: the printer is treated as gone.
  const uint32_t failure = slot->dwLastError;
  const int32_t detail = slot->dwError;
  SE_CloseSocketFnV(0, slot);
  SE_CloseSocketFnV(1, slot);
  slot->dwLastError = failure;
  slot->dwError = detail;
  if (pending != nullptr) pending->note(*slot);
  return kInvalidSocket;
}

void showPendingAuxConnectError(PrinterSlot* slot, const PendingConnectError& pending) {
  if (slot == nullptr) return;
  pending.show(*slot, [slot] { SE_ShowErrorFnI(focusWindow(), slot); });
}

SocketHandle SE_CreateSocket(int forceNew, int isFin, PrinterSlot* slot) {
  PendingConnectError pending;
  const SocketHandle s = openAuxSocket(forceNew, isFin, slot, &pending);
  showPendingAuxConnectError(slot, pending);
  return s;
}

int SE_ConnectFnI(const NetSockAddrIn* addr, int addrLen, int timeoutMs, int isFin,
                  PrinterSlot* slot) {
  if (!slot) return -1;
  const SocketHandle s = socketField(slot, isFin);

  EnableBIO(s, 1);
  if (netConnect(s, addr, addrLen) == 0) {
    printd("<socket>%p connect() succeeded(@1), LE=%d\r\n", asPtr(s), netLastError());
    EnableBIO(s, 0);
    return 0;
  }
  const int err = netLastError();
  if (err != kNetWouldBlock) {
    printd("<socket>%p connect() not successful, WSAEWOULDBLOCK expected.  LE=%d\r\n", asPtr(s),
           err);
    EnableBIO(s, 0);
    slot->dwLastError = kErrSocket;
    slot->dwError = err;
    return -1;
  }

  const NetConnectWait waited = netWaitConnect(s, timeoutMs > 0 ? timeoutMs : 0);
  const int waitError = netLastError();
  const int pending = SockGetErrorFnI(s);
  EnableBIO(s, 0);
  switch (waited) {
    case NetConnectWait::Connected:
      printd("<socket>%p connect() succeeded(@2), LE=%d\r\n", asPtr(s), waitError);
      return 0;
    case NetConnectWait::TimedOut:
      printd("<socket>(%p) wait connect response timeout, LE=%d, LE2=%d\r\n", asPtr(s), waitError,
             pending);
      slot->dwLastError = kErrSocket;
      slot->dwError = kNetTimedOut;
      return -1;
    case NetConnectWait::Refused:
      printd("<socket>(%p) wait connect response error, LE=%d, LE2=%d\r\n", asPtr(s), waitError,
             pending);
      slot->dwLastError = kErrSocket;
      slot->dwError = pending;
      return -1;
    case NetConnectWait::Failed:
    default:
      printd("<socket>(%p) wait connect response failed, LE=%d, LE2=%d\r\n", asPtr(s), waitError,
             pending);
      slot->dwLastError = kErrSocket;
      slot->dwError = pending;
      return -1;
  }
}

void SE_CloseSocketFnV(int isFin, PrinterSlot* slot) {
  if (!slot) return;
  CriticalSectionLock printer(printerLock(slot));
  const int printerNo = slot->CurKTRInfoST.PrinterNoUB;
  SocketHandle& field = socketField(slot, isFin);
  const SocketHandle s = field;
  printd("[%d]SE_CloseSocketFnV(%p, %p) IsFin(%d)...\r\n", printerNo, static_cast<void*>(slot),
         asPtr(s), isFin);
  if (isOpenSocket(s)) {
    // The bit stays until the channel connects this socket anew (SE_CreateSocket).
    if ((slot->dwRseConnFlags & connBit(isFin)) != 0) {
      const int ret = s_closesocket(s, 2000);
      if (ret != 0) printd("<K52>s_closesocket(%p) not succeeded, ret=%d\r\n", asPtr(s), ret);
    } else {
      const int ret = netClose(s);
      if (ret != 0) {
        printd("<K52>closesocket(%p) not succeeded, ret=%d, LE=%d\r\n", asPtr(s), ret,
               netLastError());
      }
    }
    if (!isFin) slot->dwCloseTick = tickCount();
  }
  field = kInvalidSocket;
  printd("<K52>[%d]%p closed\r\n", printerNo, asPtr(s));
  slot->dwCloseTick = tickCount();
}

}  // namespace nypr
