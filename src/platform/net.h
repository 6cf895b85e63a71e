// TCP and UDP sockets for the printer link and the printer search.
//
// One contract, one backend per OS (posix/net_posix.cpp; win32/net_win32.cpp maps each
// call one to one onto Winsock). Driver code never sees an OS socket header.
//
// Common rules of every function below:
// - Sockets are SocketHandle values (socket_handle.h). A function that creates a socket
//   never returns 0 (0 means "no connection" in a printer slot) and returns
//   kInvalidSocket on failure.
// - Results follow Winsock: 0 (or a count) on success, kNetSocketError (-1) on failure.
// - Error numbers are always in the Windows socket numbering (kNetWouldBlock 10035,
//   kNetConnReset 10054, kNetTimedOut 10060, kNetConnRefused 10061, ...), whatever the
//   OS: users see them in messages ("No.10061") and the driver decides by them. The
//   number of the last failure of the calling thread is netLastError() (thread-local,
//   like WSAGetLastError). A successful call sets it to 0.
// - Time-outs are milliseconds; 0 means "wait without limit" where a socket option is
//   set (as SO_RCVTIMEO/SO_SNDTIMEO on Windows) and "do not wait" for the wait functions.
// - IPv4 addresses and ports are passed in host order (first octet in the most significant
//   byte), except inside NetSockAddrIn, which keeps the wire layout of sockaddr_in.
// - No call raises a signal: sending on a connection the peer has dropped fails with
//   kNetConnReset instead of killing the host process.
#pragma once

#include <cstdint>

#include "platform/socket_handle.h"

namespace nypr::platform {

inline constexpr int kNetSocketError = -1;

// Windows socket error numbers (the ones the driver tests or shows).
inline constexpr int kNetInterrupted = 10004;      // WSAEINTR
inline constexpr int kNetBadHandle = 10009;        // WSAEBADF
inline constexpr int kNetAccess = 10013;           // WSAEACCES
inline constexpr int kNetFault = 10014;            // WSAEFAULT
inline constexpr int kNetInvalid = 10022;          // WSAEINVAL
inline constexpr int kNetTooManySockets = 10024;   // WSAEMFILE
inline constexpr int kNetWouldBlock = 10035;       // WSAEWOULDBLOCK
inline constexpr int kNetInProgress = 10036;       // WSAEINPROGRESS
inline constexpr int kNetAlready = 10037;          // WSAEALREADY
inline constexpr int kNetNotSocket = 10038;        // WSAENOTSOCK
inline constexpr int kNetMsgSize = 10040;          // WSAEMSGSIZE
inline constexpr int kNetNoProtoOpt = 10042;       // WSAENOPROTOOPT
inline constexpr int kNetNotSupported = 10045;     // WSAEOPNOTSUPP
inline constexpr int kNetAfNotSupported = 10047;   // WSAEAFNOSUPPORT
inline constexpr int kNetAddrInUse = 10048;        // WSAEADDRINUSE
inline constexpr int kNetAddrNotAvail = 10049;     // WSAEADDRNOTAVAIL
inline constexpr int kNetDown = 10050;             // WSAENETDOWN
inline constexpr int kNetUnreachable = 10051;      // WSAENETUNREACH
inline constexpr int kNetReset = 10052;            // WSAENETRESET
inline constexpr int kNetConnAborted = 10053;      // WSAECONNABORTED
inline constexpr int kNetConnReset = 10054;        // WSAECONNRESET
inline constexpr int kNetNoBuffers = 10055;        // WSAENOBUFS
inline constexpr int kNetIsConnected = 10056;      // WSAEISCONN
inline constexpr int kNetNotConnected = 10057;     // WSAENOTCONN
inline constexpr int kNetShutDown = 10058;         // WSAESHUTDOWN
inline constexpr int kNetTimedOut = 10060;         // WSAETIMEDOUT
inline constexpr int kNetConnRefused = 10061;      // WSAECONNREFUSED
inline constexpr int kNetHostDown = 10064;         // WSAEHOSTDOWN
inline constexpr int kNetHostUnreachable = 10065;  // WSAEHOSTUNREACH

// An IPv4 socket address with the byte layout of sockaddr_in (16 bytes): family, port in
// network order, address in network order, 8 zero bytes. Build it with netHtons/netHtonl.
struct NetSockAddrIn {
  uint16_t family;   // kNetAfInet
  uint16_t portNet;  // network byte order
  uint32_t addrNet;  // network byte order
  uint8_t zero[8];
};
static_assert(sizeof(NetSockAddrIn) == 16, "same size as sockaddr_in");
inline constexpr uint16_t kNetAfInet = 2;

uint16_t netHtons(uint16_t v);
uint32_t netHtonl(uint32_t v);
uint16_t netNtohs(uint16_t v);
uint32_t netNtohl(uint32_t v);

// The thread's last socket error (Windows numbering) and its setter (WSASetLastError).
int netLastError();
void netSetLastError(int error);

// Starts and stops the socket library of the process (WSAStartup 2.2 / WSACleanup).
// Returns 0, or the error number when the library cannot start. POSIX: nothing to do.
int netStartup();
void netCleanup();

// ---- Sockets ----------------------------------------------------------------------------

// A TCP stream socket for a printer connection: blocking, not inherited by child
// processes, Nagle's algorithm off (a command frame waits for its answer; Nagle with the
// printer's delayed ACK would cost ~40 ms a frame). kInvalidSocket on failure.
SocketHandle netTcpSocket();
// A UDP datagram socket, blocking, not inherited. kInvalidSocket on failure.
SocketHandle netUdpSocket();
// Releases the socket at once (closesocket). 0, or -1 (kNetNotSocket for 0, -1 or an
// unknown handle).
int netClose(SocketHandle s);

// Blocking mode (ioctlsocket FIONBIO): nonBlocking true makes every call return
// kNetWouldBlock instead of waiting. 0 or -1.
int netSetNonBlocking(SocketHandle s, bool nonBlocking);

// Receive and send time-outs (SO_RCVTIMEO / SO_SNDTIMEO), milliseconds, 0 = no limit.
// A blocking receive or send that runs out of time fails with kNetTimedOut. 0 or -1.
int netSetReceiveTimeout(SocketHandle s, uint32_t ms);
int netSetSendTimeout(SocketHandle s, uint32_t ms);
// The receive time-out in force (0 = no limit) into *ms. 0 or -1.
int netGetReceiveTimeout(SocketHandle s, uint32_t* ms);

// The socket's pending error (getsockopt SO_ERROR), in Windows numbering, into *error
// (0 when none); reading it clears it. 0, or -1 when the socket cannot be asked.
int netPendingError(SocketHandle s, int* error);

// ---- TCP ----------------------------------------------------------------------------------

// connect(). addrLen must be 16. Blocking socket: 0 once connected, or -1 with the
// reason (kNetConnRefused, kNetTimedOut, ...). Non-blocking socket: 0 when the connection
// completed at once, else -1 with kNetWouldBlock while it is under way (check it with
// netWaitConnect) or the reason it failed.
int netConnect(SocketHandle s, const NetSockAddrIn* addr, int addrLen);

// Result of netWaitConnect, after select() with the socket in the write and exception sets.
enum class NetConnectWait {
  Failed = -1,    // the wait itself failed (netLastError says why)
  TimedOut = 0,   // neither writable nor failed within the time-out
  Connected = 1,  // writable: the connection is up
  Refused = 2,    // in the exception set: the connection failed (netPendingError says why)
};
// Waits up to `ms` for a connection under way on a non-blocking socket to finish. The
// socket's pending error is not consumed.
NetConnectWait netWaitConnect(SocketHandle s, uint32_t ms);

// send() once: the bytes taken (a blocking socket takes them all unless interrupted or
// timed out), or -1 (kNetConnReset when the peer reset or dropped the connection,
// kNetTimedOut, kNetWouldBlock on a non-blocking socket, ...). Never raises a signal.
int netSend(SocketHandle s, const void* data, int len);
// recv() once: bytes received (1..len), 0 when the peer ended the stream (last error 0),
// or -1 (kNetTimedOut when the receive time-out ran out on a blocking socket,
// kNetWouldBlock on a non-blocking socket with nothing pending, kNetConnReset, ...).
// A receive that ran out of time took nothing: the connection stays usable and bytes that
// come later are received whole.
int netRecv(SocketHandle s, void* buf, int len);

// shutdown(): kNetShutdownReceive (SD_RECEIVE), kNetShutdownSend (SD_SEND) or
// kNetShutdownBoth. 0 or -1 (kNetNotConnected for a socket that was never connected). As
// with Winsock, a connection that both sides have already ended can still be shut down.
inline constexpr int kNetShutdownReceive = 0;
inline constexpr int kNetShutdownSend = 1;
inline constexpr int kNetShutdownBoth = 2;
int netShutdown(SocketHandle s, int how);

// Watch for the peer's end of stream (WSAEventSelect FD_CLOSE on Windows): arms the watch
// and makes the socket non-blocking, as the event selection does. 0 or -1.
int netWatchPeerClose(SocketHandle s);
// Waits up to `ms` for the peer's end of stream (or reset) on a watched socket, without
// consuming data. 1 when the peer has closed or there is no connection (its connect
// failed: nothing to wait for), 0 when the time ran out, -1 on failure.
int netWaitPeerClose(SocketHandle s, uint32_t ms);

// Waits up to `ms` until the socket has data (or end of stream) to receive.
// 1 readable, 0 time ran out, -1 on failure.
int netWaitReadable(SocketHandle s, uint32_t ms);

// ---- UDP (printer search) -------------------------------------------------------------------

// SO_BROADCAST: allows sending to broadcast addresses. 0 or -1.
int netSetBroadcast(SocketHandle s, bool on);
// bind() to an IPv4 address (0 = any) and port (0 = any free port). 0 or -1.
int netBind(SocketHandle s, uint32_t ipHost, uint16_t port);
// sendto(): one datagram to ipHost:port. Bytes sent or -1.
int netSendTo(SocketHandle s, const void* data, int len, uint32_t ipHost, uint16_t port);
// recvfrom() waiting at most `ms` (0 = do not wait): the datagram's size (cut to len), with
// the sender's address and port when the pointers are set; -1 with kNetTimedOut when no
// datagram came in time, or another error.
int netRecvFrom(SocketHandle s, void* buf, int len, uint32_t ms, uint32_t* fromIpHost,
                uint16_t* fromPort);

}  // namespace nypr::platform
