// A printer's answer to the search broadcast, and the record kept for each printer found.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nypr {

// The request every printer on the segment answers (sent without a terminating zero).
inline constexpr char kSearchRequest[] = "RequestMiraMachine?";
inline constexpr size_t kSearchRequestLength = sizeof(kSearchRequest) - 1;
// Room for one reply datagram.
inline constexpr size_t kSearchReplyBufferSize = 256;

struct FoundPrinterST {
  char szMachineNo[32];  // two digits of the machine number
  char szIPAddr[64];     // sender address, "%d.%d.%d.%d"
  char szModel[128];     // 18 characters of model and version text
  uint32_t dwIPAddr;     // sender address, first octet in the most significant byte
};

enum class SearchReply {
  Empty,    // no text (a time-out or an empty datagram): the listening ends
  Ignored,  // not a printer's answer (our own request looped back, short or foreign text)
  Printer,  // a printer: the record was filled
};

// Judges one received datagram of `size` bytes from `senderIp`. The payload is a text
// that ends at its first zero byte or at the end of what was received, whichever comes
// first; nothing past `size` (nor past the reply buffer) is read. A printer's text is
// longer than 40 characters and begins with "MiraMachine".
SearchReply readSearchReply(const uint8_t* data, size_t size, uint32_t senderIp,
                            FoundPrinterST* record);

}  // namespace nypr
