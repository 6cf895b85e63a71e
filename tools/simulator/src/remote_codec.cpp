#include "remote_codec.h"

#include "ktsim/socket.h"
#include "remote_protocol.h"

namespace ktsim::remote {

void Writer::putCount(size_t n) {
  if (n > kMaxMessage) throw CodecError("too many elements for one message");
  putInt(static_cast<uint32_t>(n));
}

void Reader::finish() const {
  if (!in_.empty()) throw CodecError(std::to_string(in_.size()) + " bytes left over");
}

size_t Reader::getCount(size_t minSize) {
  const size_t n = getInt<uint32_t>();
  if (n > in_.size() / minSize) throw CodecError("count beyond the message");
  return n;
}

std::string_view Reader::take(size_t n) {
  if (n > in_.size()) throw CodecError("message ends early");
  const auto bytes = in_.substr(0, n);
  in_.remove_prefix(n);
  return bytes;
}

bool sendMessage(Socket& socket, std::string_view payload) {
  if (payload.size() > kMaxMessage) return false;
  const auto n = static_cast<uint32_t>(payload.size());
  const char head[4] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                        static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)};
  // One send for small messages keeps a request in one segment.
  if (payload.size() <= 4096) {
    std::string whole(head, 4);
    whole.append(payload);
    return socket.sendAll(whole);
  }
  return socket.sendAll(std::string_view(head, 4)) && socket.sendAll(payload);
}

std::optional<std::string> receiveMessage(Socket& socket, int timeoutMs, uint32_t maxBytes) {
  unsigned char head[4];
  if (!socket.receiveExact(reinterpret_cast<char*>(head), 4, timeoutMs)) return std::nullopt;
  const uint32_t n = head[0] | (head[1] << 8) | (head[2] << 16) | (uint32_t{head[3]} << 24);
  if (n > maxBytes) return std::nullopt;
  std::string payload(n, '\0');
  const int bodyMs = timeoutMs >= 0 ? timeoutMs : static_cast<int>(kMessageBodyWait.count());
  if (n > 0 && !socket.receiveExact(payload.data(), n, bodyMs)) return std::nullopt;
  return payload;
}

}  // namespace ktsim::remote
