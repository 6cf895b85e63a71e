#include "link/socket_receive.h"

#include "link/frame.h"
#include "platform/clock.h"
#include "platform/net.h"

namespace nypr {
namespace {

using namespace platform;

struct Reader {
  SocketHandle socket = kInvalidSocket;
  bool first = true;
  uint32_t firstBytesTick = 0;
  uint32_t limitMs = 0;  // 0: the socket waits without limit, and so do we

  static int read(void* ctx, char* buf, int len) {
    auto* self = static_cast<Reader*>(ctx);
    if (self->first) {
      self->first = false;
      const int got = netRecv(self->socket, buf, len);
      if (got > 0) {  // a failed receive keeps its error for the caller
        self->firstBytesTick = tickCount();
        if (netGetReceiveTimeout(self->socket, &self->limitMs) != 0) self->limitMs = 0;
      }
      return got;
    }
    if (self->limitMs > 0) {
      const uint32_t elapsed = tickCount() - self->firstBytesTick;
      const int ready =
          elapsed >= self->limitMs ? 0 : netWaitReadable(self->socket, self->limitMs - elapsed);
      if (ready <= 0) {
        if (ready == 0) netSetLastError(kNetTimedOut);
        return -1;
      }
    }
    return netRecv(self->socket, buf, len);
  }
};

}  // namespace

int receiveFromPrinter(SocketHandle s, char* buf, int cap) {
  Reader reader;
  reader.socket = s;
  return receiveAnswer(&Reader::read, &reader, buf, cap);
}

}  // namespace nypr
