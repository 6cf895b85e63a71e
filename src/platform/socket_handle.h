// The socket handle as the driver stores it in a printer slot.
//
// A slot's socket field holds 0 or all-ones when no connection is open, as a Windows
// SOCKET field of the host's era does. The POSIX backend never hands out descriptor 0
// as a socket, so 0 stays free to mean "none".
#pragma once

#include <cstdint>

namespace nypr::platform {

using SocketHandle = uint32_t;
inline constexpr SocketHandle kInvalidSocket = 0xFFFFFFFFu;

inline bool isOpenSocket(SocketHandle s) {
  return s != 0 && s != kInvalidSocket;
}

}  // namespace nypr::platform
