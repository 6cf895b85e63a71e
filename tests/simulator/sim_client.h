// A client for the simulator's tests on the simulator's own plain socket, which shares
// nothing with the driver's link code: the simulator is checked against the wire format
// alone (the frame's bytes are pinned in frame_reader_test.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ktsim/frame.h"
#include "ktsim/socket.h"

namespace simtest {

// STX, four length digits, payload, ETX.
inline std::string frame(std::string_view payload) {
  return ktsim::makeFrame(payload);
}

class Client {
 public:
  // Connects to ip (host order):port; false when not connected.
  bool connect(uint32_t ip, uint16_t port) {
    socket_ = ktsim::Socket::connectTo(ip, port);
    return socket_.valid();
  }
  void close() { socket_.close(); }
  bool sendRaw(std::string_view bytes) { return socket_.sendAll(bytes); }
  bool sendPayload(std::string_view payload) { return sendRaw(frame(payload)); }
  // One whole frame (by its length digits); nullopt on close, error or time-out.
  std::optional<std::string> readFrame(int timeoutMs = 3000) {
    std::string f(5, '\0');
    if (!socket_.receiveExact(f.data(), 5, timeoutMs)) return std::nullopt;
    if (f.find_first_not_of("0123456789", 1) != std::string::npos) return std::nullopt;
    const size_t length = std::stoul(f.substr(1));
    f.resize(length + 6);
    if (!socket_.receiveExact(f.data() + 5, length + 1, timeoutMs)) return std::nullopt;
    return f;
  }
  // Payload of the next frame ("" when none).
  std::string readPayload(int timeoutMs = 3000) {
    const auto f = readFrame(timeoutMs);
    return f ? f->substr(5, f->size() - 6) : std::string();
  }
  // Sends the payload and returns the answer's payload ("" when none).
  std::string exchange(std::string_view payload, int timeoutMs = 3000) {
    return sendPayload(payload) ? readPayload(timeoutMs) : std::string();
  }

 private:
  ktsim::Socket socket_;
};

}  // namespace simtest
