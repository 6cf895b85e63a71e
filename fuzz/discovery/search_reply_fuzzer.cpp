// Any datagram a search may receive: the reply judgement must never read past it and must
// leave every record field terminated.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "discovery/search_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first four bytes pick the sender; the rest is the datagram.
  uint32_t sender = 0;
  if (size >= 4) {
    std::memcpy(&sender, data, 4);
    data += 4;
    size -= 4;
  }
  nypr::FoundPrinterST record;
  std::memset(&record, 0x7F, sizeof record);
  nypr::SearchReply kind = nypr::readSearchReply(size > 0 ? data : nullptr, size, sender, &record);
  if (kind == nypr::SearchReply::Printer) {
    if (std::memchr(record.szMachineNo, 0, sizeof record.szMachineNo) == nullptr ||
        std::memchr(record.szModel, 0, sizeof record.szModel) == nullptr ||
        std::memchr(record.szIPAddr, 0, sizeof record.szIPAddr) == nullptr ||
        std::strlen(record.szMachineNo) > 2 || std::strlen(record.szModel) > 18 ||
        record.dwIPAddr != sender || size < 41) {
      std::abort();
    }
  }
  return 0;
}
