// A deliberately plain socket client for the simulator's tests: it shares nothing with the
// driver's link code, so the simulator is checked against the wire format alone.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace simtest {

// STX, four length digits, payload, ETX.
std::string frame(std::string_view payload);
// The fields of a payload put together, so tests can show each field apart.
std::string fields(std::initializer_list<std::string_view> parts);

class Client {
 public:
  Client() = default;
  ~Client();
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;
  Client(Client&& other) noexcept;

  // Connects to ip (host order):port; false when not connected within 2 s.
  bool connect(uint32_t ip, uint16_t port);
  bool sendRaw(std::string_view bytes);
  bool sendPayload(std::string_view payload) { return sendRaw(frame(payload)); }
  // Reads until one whole frame (by its length digits) arrived; nullopt on close, error or
  // time-out.
  std::optional<std::string> readFrame(int timeoutMs = 3000);
  // Payload of the next frame ("" when none).
  std::string readPayload(int timeoutMs = 3000);
  // Sends the payload and returns the answer's payload ("" when none).
  std::string exchange(std::string_view payload, int timeoutMs = 3000);
  void close();

 private:
  int fd_ = -1;
  std::string buffer_;
};

// One request/answer on a fresh connection, the way the driver talks to the printer.
std::string exchangeOnce(uint32_t ip, uint16_t port, std::string_view payload);

}  // namespace simtest
