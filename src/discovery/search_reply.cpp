// Reading the printers' answers to the search broadcast.
#include "discovery/search_reply.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace nypr {
namespace {

constexpr char kReplyTag[] = "MiraMachine";
constexpr size_t kReplyTagLength = sizeof(kReplyTag) - 1;
// Shorter texts are no printer's answer; this also drops our own looped-back request.
constexpr size_t kMinReplyLength = 41;
constexpr size_t kMachineNoOffset = 11;
constexpr size_t kMachineNoLength = 2;
constexpr size_t kModelOffset = 25;
constexpr size_t kModelLength = 18;

// Copies up to `count` characters of text starting at `offset` (stopping at the text's
// end) into a terminated field.
template <size_t N>
void copyField(char (&field)[N], const uint8_t* text, size_t textLength, size_t offset,
               size_t count) {
  std::memset(field, 0, N);
  if (offset >= textLength) return;
  size_t n = std::min({count, textLength - offset, N - 1});
  std::memcpy(field, text + offset, n);
}

}  // namespace

SearchReply readSearchReply(const uint8_t* data, size_t size, uint32_t senderIp,
                            FoundPrinterST* record) {
  if (data == nullptr) return SearchReply::Empty;
  size = std::min(size, kSearchReplyBufferSize);
  const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  size_t length = end != nullptr ? static_cast<size_t>(end - data) : size;
  if (length == 0) return SearchReply::Empty;
  if (length < kMinReplyLength || std::memcmp(data, kReplyTag, kReplyTagLength) != 0) {
    return SearchReply::Ignored;
  }
  if (record == nullptr) return SearchReply::Printer;
  copyField(record->szMachineNo, data, length, kMachineNoOffset, kMachineNoLength);
  copyField(record->szModel, data, length, kModelOffset, kModelLength);
  std::snprintf(record->szIPAddr, sizeof record->szIPAddr, "%d.%d.%d.%d",
                static_cast<int>((senderIp >> 24) & 0xFF),
                static_cast<int>((senderIp >> 16) & 0xFF), static_cast<int>((senderIp >> 8) & 0xFF),
                static_cast<int>(senderIp & 0xFF));
  record->dwIPAddr = senderIp;
  return SearchReply::Printer;
}

}  // namespace nypr
