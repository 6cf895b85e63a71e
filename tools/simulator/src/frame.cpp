#include "ktsim/frame.h"

#include <cstdio>

#include "ktsim/simulator.h"

namespace ktsim {

std::string makeFrame(std::string_view payload) {
  if (payload.empty() || payload.size() > kMaxPayload) return {};
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04zu", payload.size());
  std::string frame;
  frame.reserve(payload.size() + kFrameOverhead);
  frame.push_back(kStx);
  frame.append(digits, 4);
  frame.append(payload);
  frame.push_back(kEtx);
  return frame;
}

namespace {

// Length digits at frame bytes 1..4; nullopt unless four ASCII digits.
std::optional<size_t> lengthDigits(std::string_view frame) {
  if (frame.size() < 5) return std::nullopt;
  size_t value = 0;
  for (size_t i = 1; i <= 4; ++i) {
    const char c = frame[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<size_t>(c - '0');
  }
  return value;
}

}  // namespace

std::optional<std::string_view> framePayload(std::string_view frame) {
  const auto length = lengthDigits(frame);
  if (!length || *length < 1 || *length > kMaxPayload) return std::nullopt;
  if (frame[0] != kStx || frame.size() != *length + kFrameOverhead) return std::nullopt;
  if (frame.back() != kEtx) return std::nullopt;
  return frame.substr(5, *length);
}

void FrameReader::feed(std::string_view data) {
  buffer_.append(data);
}

std::optional<FrameReader::Item> FrameReader::drop(size_t count, std::string reason) {
  Item item;
  item.valid = false;
  item.bytes = buffer_.substr(0, count);
  item.reason = std::move(reason);
  buffer_.erase(0, count);
  return item;
}

std::optional<FrameReader::Item> FrameReader::next() {
  if (buffer_.empty()) return std::nullopt;
  if (buffer_[0] != kStx) {
    const size_t stx = buffer_.find(kStx);
    return drop(stx == std::string::npos ? buffer_.size() : stx, "no STX");
  }
  if (buffer_.size() < 5) {
    // A non-digit among the length bytes already received cannot become a frame.
    for (size_t i = 1; i < buffer_.size(); ++i) {
      if (buffer_[i] < '0' || buffer_[i] > '9') {
        const size_t stx = buffer_.find(kStx, 1);
        return drop(stx == std::string::npos ? buffer_.size() : stx, "bad length digits");
      }
    }
    return std::nullopt;
  }
  const auto length = lengthDigits(buffer_);
  std::string reason;
  if (!length) {
    reason = "bad length digits";
  } else if (*length < 1 || *length > kMaxPayload) {
    reason = "length " + std::to_string(*length) + " out of range";
  } else {
    const size_t total = *length + kFrameOverhead;
    if (buffer_.size() < total) return std::nullopt;
    if (buffer_[total - 1] == kEtx) {
      Item item;
      item.valid = true;
      item.bytes = buffer_.substr(0, total);
      buffer_.erase(0, total);
      return item;
    }
    reason = "no ETX after " + std::to_string(*length) + " payload bytes";
  }
  // Resynchronise at the next STX after the bad one.
  const size_t stx = buffer_.find(kStx, 1);
  return drop(stx == std::string::npos ? buffer_.size() : stx, reason);
}

std::string FrameRecord::payload() const {
  if (!valid) return {};
  const auto p = framePayload(bytes);
  return p ? std::string(*p) : std::string();
}

std::string FrameRecord::code() const {
  const std::string p = payload();
  return p.size() >= 8 ? p.substr(5, 3) : std::string();
}

}  // namespace ktsim
