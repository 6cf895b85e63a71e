// The socket handle as the driver stores it in a printer slot.
//
// A slot's socket field holds 0 or all-ones when no connection is open, as a Windows
// SOCKET field of the host's era does. The POSIX backend never hands out descriptor 0
// as a socket, so 0 stays free to mean "none".
#pragma once

#include <cstdint>

namespace nypr::platform {

#if defined(_WIN32)
// As wide as a Winsock SOCKET (32 bits in the 32-bit host, 64 in a 64-bit build).
using SocketHandle = uintptr_t;
inline constexpr SocketHandle kInvalidSocket = ~static_cast<SocketHandle>(0);
#else
using SocketHandle = uint32_t;
inline constexpr SocketHandle kInvalidSocket = 0xFFFFFFFFu;
#endif

inline bool isOpenSocket(SocketHandle s) {
  return s != 0 && s != kInvalidSocket;
}

}  // namespace nypr::platform
