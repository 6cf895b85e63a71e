// Small POSIX socket helpers for the simulator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ktsim::detail {

// A TCP socket bound to ip:port and listening; -1 with errno set on failure.
int listenTcp(uint32_t ip, uint16_t port, int backlog);
// A UDP socket bound to ip:port; -1 with errno set on failure.
int bindUdp(uint32_t ip, uint16_t port);
// Local port of a bound socket (host order), 0 on failure.
uint16_t localPort(int fd);
// "a.b.c.d:port" of the peer.
std::string peerName(int fd, uint16_t* port = nullptr);
// Sends all bytes (no SIGPIPE); false when the connection failed.
bool sendAll(int fd, std::string_view bytes);
// True when the peer's end of stream is waiting on `fd`, or the connection failed.
bool peerEnded(int fd);
// Closes with an RST instead of an orderly shutdown.
void closeWithReset(int fd);
// A non-blocking connect that is still in progress or done; -1 on failure.
int connectNonBlocking(uint32_t ip, uint16_t port);
// Waits up to `ms` for a non-blocking connect; true when it completed.
bool connectCompleted(int fd, int ms);
// Parses dotted IPv4 into host order.
bool parseDotted(const std::string& text, uint32_t* ip);

}  // namespace ktsim::detail
