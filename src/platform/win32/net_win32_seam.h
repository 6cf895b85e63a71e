// The Windows socket backend's one seam: how a socket is made (WSASocketW), so tests can
// play a Windows that refuses WSA_FLAG_NO_HANDLE_INHERIT (before 7 SP1: WSAEINVAL).
#pragma once

#include <winsock2.h>

namespace nypr::platform::win32net {

using SocketMaker = SOCKET(WSAAPI*)(int af, int type, int protocol, LPWSAPROTOCOL_INFOW info,
                                    GROUP group, DWORD flags);

// Makes every new socket through `maker` (null: WSASocketW again); returns the one before.
// Not for use while other threads create sockets.
SocketMaker setSocketMaker(SocketMaker maker);

}  // namespace nypr::platform::win32net
