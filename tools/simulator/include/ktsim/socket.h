// Plain TCP sockets, the same few calls on POSIX and on Winsock: the transport of the
// simulator's remote control (its client also lives in Windows test programs, while the
// simulator stays a Linux program), and a peer for tests that play the printer's side
// byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ktsim {

#ifdef _WIN32
using SocketHandle = uintptr_t;  // SOCKET
#else
using SocketHandle = int;
#endif

// Starts the socket library once per process (Winsock); true when sockets can be used.
bool startSockets();

// One TCP socket, closed by the destructor. Time-outs are milliseconds, -1 = no limit.
class Socket {
 public:
  Socket() = default;
  explicit Socket(SocketHandle handle) : handle_(handle) {}
  ~Socket() { close(); }
  Socket(Socket&& other) noexcept : handle_(other.release()) {}
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // A listening socket on ip:port (port 0: any free one); invalid on failure.
  static Socket listenOn(uint32_t ip, uint16_t port, int backlog);
  // A connected socket; invalid when the connect failed.
  static Socket connectTo(uint32_t ip, uint16_t port);

  bool valid() const;
  void close();
  SocketHandle release();
  // Ends both directions without closing: a thread blocked on this socket wakes up.
  void shutdownBoth();

  // The next connection, or an invalid socket after `timeoutMs` or on error.
  Socket accept(int timeoutMs) const;
  uint16_t localPort() const;
  bool sendAll(std::string_view bytes);
  // Exactly `size` bytes within `timeoutMs`; false on end of stream, error or time-out.
  bool receiveExact(char* data, size_t size, int timeoutMs);
  // True when the peer's end of stream (and no data before it) arrives within `timeoutMs`.
  bool endOfStream(int timeoutMs);

 private:
  // True when readable (data or end of stream) within `timeoutMs`.
  bool waitReadable(int timeoutMs) const;

  SocketHandle handle_ = invalidHandle();
  static SocketHandle invalidHandle();
};

// "a.b.c.d" into host order (first octet most significant); nullopt when malformed.
std::optional<uint32_t> parseIpv4(std::string_view text);

}  // namespace ktsim
