// The printer search: one broadcast request, then every printer's reply until the segment
// falls silent.
#include "discovery/printer_search.h"

#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/net.h"

namespace nypr {

FoundPrinterST stFoundPrinter[kFoundPrinterMax];
int nFoundPrinter = 0;

namespace {

constexpr uint32_t kBroadcastAll = 0xFFFFFFFFu;
constexpr int kMaxReceives = 100;
// Gives the next printer's reply time to arrive before the next receive.
constexpr uint32_t kReceivePauseMs = 50;

}  // namespace

int SearchPrinterListFnI(int* count, FoundPrinterST* records, uint32_t quietMs) {
  using namespace platform;
  if (count != nullptr) *count = 0;
  if (records == nullptr) return kSearchBadArgs;

  SocketHandle s = netUdpSocket();
  if (s == kInvalidSocket) {
    std::printf("Create socket failed:%d\n", netLastError());
    std::fflush(stdout);
    return kSearchNoSocket;
  }
  int result = kSearchDone;
  int found = 0;
  do {
    if (netSetBroadcast(s, true) != 0) {
      std::printf("setsockopt failed:%d", netLastError());
      result = kSearchNoBroadcast;
      break;
    }
    netSetReceiveTimeout(s, quietMs);  // the receive below waits by itself too
    if (netBind(s, 0, kSearchPort) != 0) {
      std::printf("bind failed with: %d\n", netLastError());
      result = kSearchPortBusy;
      break;
    }
    if (netSendTo(s, kSearchRequest, static_cast<int>(kSearchRequestLength), kBroadcastAll,
                  kSearchPort) < 0) {
      std::printf("Send failed:%d", netLastError());
      result = kSearchSendFailed;
      break;
    }
    result = kSearchFull;
    for (int i = 0; i < kMaxReceives; ++i) {
      uint8_t buf[kSearchReplyBufferSize];
      std::memset(buf, 0, sizeof buf);
      uint32_t from = 0;
      int n = netRecvFrom(s, buf, static_cast<int>(sizeof buf), quietMs, &from, nullptr);
      SearchReply kind =
          readSearchReply(buf, n > 0 ? static_cast<size_t>(n) : 0, from, &records[found]);
      if (kind == SearchReply::Empty) {
        result = kSearchDone;
        break;
      }
      if (kind == SearchReply::Printer) ++found;
      sleepMs(kReceivePauseMs);
    }
  } while (false);
  std::fflush(stdout);
  netClose(s);
  if (count != nullptr) *count = found;
  return result;
}

}  // namespace nypr
