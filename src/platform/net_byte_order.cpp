// Network byte order is the same on every OS: the most significant byte goes first on the
// wire, whatever the host's order, so one portable definition serves every backend.
#include <cstdint>
#include <cstring>

#include "platform/net.h"

namespace nypr::platform {

namespace {

template <class T>
T toWire(T v) {
  uint8_t bytes[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) {
    bytes[i] = static_cast<uint8_t>(v >> (8 * (sizeof(T) - 1 - i)));
  }
  T r;
  std::memcpy(&r, bytes, sizeof(T));
  return r;
}

template <class T>
T fromWire(T v) {
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, &v, sizeof(T));
  T r = 0;
  for (size_t i = 0; i < sizeof(T); ++i) r = static_cast<T>((r << 8) | bytes[i]);
  return r;
}

}  // namespace

uint16_t netHtons(uint16_t v) {
  return toWire(v);
}
uint32_t netHtonl(uint32_t v) {
  return toWire(v);
}
uint16_t netNtohs(uint16_t v) {
  return fromWire(v);
}
uint32_t netNtohl(uint32_t v) {
  return fromWire(v);
}

}  // namespace nypr::platform
