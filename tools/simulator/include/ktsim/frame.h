// Frames as the printer sees them on its sockets: STX, four length digits, payload, ETX.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ktsim {

inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;
inline constexpr size_t kMaxPayload = 1390;
inline constexpr size_t kFrameOverhead = 6;  // STX + 4 digits + ETX

// Wraps a payload of 1..1390 bytes into a frame; "" when the payload does not fit.
std::string makeFrame(std::string_view payload);

// Payload of a complete, well-formed frame; nullopt otherwise.
std::optional<std::string_view> framePayload(std::string_view frame);

// Splits a byte stream from one connection into frames. Bytes that cannot start or
// complete a frame (no STX, bad length digits, a length out of range, no ETX where the
// length says) are handed back as dropped, with the reason, and the reader resumes at the
// next STX. It never holds more than one maximal frame: a partial frame waits for more.
class FrameReader {
 public:
  struct Item {
    bool valid = false;  // true: a frame; false: dropped bytes
    std::string bytes;
    std::string reason;  // why the bytes were dropped
  };

  void feed(std::string_view data);
  // The next frame or run of dropped bytes, or nullopt when more data is needed.
  std::optional<Item> next();
  // Bytes of an incomplete frame still waiting (e.g. when the peer closes).
  std::string_view pending() const { return buffer_; }
  void clear() { buffer_.clear(); }

 private:
  std::optional<Item> drop(size_t count, std::string reason);

  std::string buffer_;
};

}  // namespace ktsim
