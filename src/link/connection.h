// The two connections of a printer slot: the command socket `skKT` and the finish socket
// `skFin` (where the printer reports the end of printing).
//
// Main link: sockets are opened on demand (an open one is handed back), connected with a
// 5 s time-out, given 10 s send/receive time-outs and closed gracefully. Failures land in
// the slot's dwLastError (60400 no address, 60401 connect, 60402 socket) and dwError (the
// socket error number), and a failed connect shows the slot's error box.
//
// Auxiliary channel (SE_*): the same two fields of the same slot, addressed by the slot
// pointer, with five connect attempts, a configurable connect time-out and a 100 ms pause
// after any close.
//
// Opening, closing and setting time-outs take the printer's own lock (core/slots.h), so a
// call on one printer never changes a socket under another call's exchange on it, and a
// connect that waits for a switched-off printer holds up no other printer.
#pragma once

#include <cstdint>

#include "core/slots.h"
#include "platform/net.h"
#include "platform/socket_handle.h"

namespace nypr {

using platform::SocketHandle;

// Printer `n` (slot index 0..7). Returns the socket, or kInvalidSocket (-1).
SocketHandle KT36R_CreateSocket(uint8_t n, int forceNew, int isFin);
void KT36R_CloseSocket(uint8_t n, int isFin);

// A failed connect whose error box waits until the caller holds no lock that other
// printers need (the exchange lock). It keeps the codes the connect left, as the box
// must show them whatever the call sets afterwards.
struct PendingConnectError {
  bool pending = false;
  uint32_t lastError = 0;
  int32_t error = 0;

  void note(const PrinterSlot& slot) {
    if (pending) return;
    pending = true;
    lastError = slot.dwLastError;
    error = slot.dwError;
  }
  // Runs `show` with the connect's codes in the slot, then puts the call's codes back.
  template <class Show>
  void show(PrinterSlot& slot, Show&& showBox) const {
    if (!pending) return;
    const uint32_t callLastError = slot.dwLastError;
    const int32_t callError = slot.dwError;
    slot.dwLastError = lastError;
    slot.dwError = error;
    showBox();
    slot.dwLastError = callLastError;
    slot.dwError = callError;
  }
};

// KT36R_CreateSocket that leaves a failed connect's error box to the caller in `pending`.
SocketHandle openSlotSocket(uint8_t n, int forceNew, int isFin, PendingConnectError* pending);
// Shows the error box of a failed connect of the main link noted in `pending`.
void showPendingConnectError(uint8_t n, const PendingConnectError& pending);
// Waits out the pause a new command connection owes the printer after the last close
// (nothing when the slot's socket is open or `isFin`), so that a caller can spend it
// before it takes the exchange lock.
void waitReopenPause(uint8_t n, int isFin);
// Connects the slot's socket (finish or command) to `addr` within `timeoutMs`; 0 connected,
// -1 failed (dwLastError 60401, dwError the socket error or 10060 on time-out).
int SockConnectTimeoutFnI(const platform::NetSockAddrIn* addr, int addrLen, int timeoutMs,
                          int isFin, uint8_t n);
// mode 1 non-blocking, 0 blocking; 0 or -1.
int EnableBIO(SocketHandle s, int mode);
// The socket's pending error, or -1 when it cannot be asked.
int SockGetErrorFnI(SocketHandle s);
// Receive and send time-outs (ms) of the slot's socket: 0 both set, -1 receive failed,
// -2 send failed, -3 both failed.
int16_t SetTimeOut(uint8_t n, int recvTimeoutMs, int sendTimeoutMs, int isFin);
// Orderly close: shut the sending side, give the printer up to 100 ms to end its stream
// (whatever `timeoutMs` says), discard what it still sends, close. 0, or the last failing
// step: 1 shutdown(send), -2 shutdown(receive), -1 close.
int s_closesocket(SocketHandle s, int timeoutMs);

// Auxiliary channel. Returns the socket or -1 (the error box has then been shown for
// connect failures).
SocketHandle SE_CreateSocket(int forceNew, int isFin, PrinterSlot* slot);
// SE_CreateSocket that leaves a failed connect's error box to the caller in `pending`.
SocketHandle openAuxSocket(int forceNew, int isFin, PrinterSlot* slot,
                           PendingConnectError* pending);
void showPendingAuxConnectError(PrinterSlot* slot, const PendingConnectError& pending);
void SE_CloseSocketFnV(int isFin, PrinterSlot* slot);
int SE_ConnectFnI(const platform::NetSockAddrIn* addr, int addrLen, int timeoutMs, int isFin,
                  PrinterSlot* slot);

// Connect time-outs of the auxiliary channel: INI "System Data" / "Socket_ConnectTimeout".
inline constexpr int kSeConnectTimeoutDefault = 2000;
inline constexpr int kSeConnectTimeoutMin = 1500;
inline constexpr int kSeConnectTimeoutMax = 60000;
// The first attempt's connect time-out, read from the host's INI file at each call.
int SE_ConnectTimeoutMs();

}  // namespace nypr
