// Arbitrary bytes from the printer through the receive path and answer recognition.
//
// Input: [mode] [capacity] [segment seed] then the bytes the printer sends.
// - The bytes arrive in segments of pseudo-random sizes through receiveAnswer into a
//   buffer of exactly the chosen capacity, then go through the recognisers on a copy of
//   exactly the bytes received (so a read past them is caught by the sanitizer). A frame
//   that arrived whole and fits must be gathered whole, whatever the segments, unless a
//   segment ended at an ETX inside it (the first read may take more: what had arrived).
// - They also arrive on a real stream socket, answered to a request of the main link, the
//   auxiliary channel or one of the command functions, which judge the answer's fields.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/slots.h"
#include "link/aux_channel.h"
#include "link/command_table.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link/frame.h"

namespace {

using namespace nypr;

const char* const kRequests[] = {"2S200BZS", "2S200STS", "2S200CDS", "2S200ADS", "2S200LRS",
                                 "2S200GMS", "2S200INS", "2S200IDS", "2S200INE", "2S200MTS",
                                 "2S200PTS", "2S200FES", "2S200PRS", "2S200DTI", "2S200PSP",
                                 "2S200CTS", "2S200CPS", "2S200HCS", "6S200ACS", "2S200XYZ"};
constexpr size_t kRequestCount = sizeof kRequests / sizeof kRequests[0];

struct Segments {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint32_t seed;

  static int read(void* ctx, char* buf, int len) {
    auto* self = static_cast<Segments*>(ctx);
    if (self->at >= self->size || len <= 0) return 0;
    self->seed = self->seed * 1103515245u + 12345u;
    size_t n = 1 + (self->seed >> 16) % 23;
    n = std::min({n, self->size - self->at, static_cast<size_t>(len)});
    std::memcpy(buf, self->data + self->at, n);
    self->at += n;
    return static_cast<int>(n);
  }
};

void checkRecognition(const uint8_t* data, size_t size, int capacity, uint32_t seed) {
  std::vector<char> buf(static_cast<size_t>(capacity));
  Segments segments{data, size, 0, seed};
  const int got = receiveAnswer(&Segments::read, &segments, buf.data(), capacity);
  if (got > capacity) __builtin_trap();

  // A whole frame that fits is gathered whole, however the segments fell, unless a
  // segment ended at an ETX inside it (a frame is whole at its ETX).
  if (size >= 5 && data[0] == 0x02) {
    int len = 0;
    bool digits = true;
    for (int i = 1; i <= 4; ++i) {
      digits = digits && data[i] >= '0' && data[i] <= '9';
      len = len * 10 + (data[i] - '0');
    }
    const size_t frame = static_cast<size_t>(len) + 6;
    if (digits && frame <= size && frame <= static_cast<size_t>(capacity) &&
        static_cast<size_t>(got) < frame &&
        (got < 6 || buf[static_cast<size_t>(got) - 1] != 0x03)) {
      __builtin_trap();
    }
  }
  if (got <= 0) return;

  const std::vector<char> received(buf.begin(), buf.begin() + got);
  (void)frameBytesMissing(received.data(), got);
  for (const char* request : kRequests) {
    // An answer is recognised by its code letters alone, which must have arrived.
    if (KtAnswerMatches(request, 8, received.data(), got) && got < 13) __builtin_trap();
    if (SE_AnswerMatches(request, 8, received.data(), got) && got < 13) __builtin_trap();
  }
  if (got > 13) (void)KtReadNumber(received.data() + 13, got - 13);
}

// The printer's bytes wait on a stream; its end of stream follows them.
int printerStream(const uint8_t* data, size_t size) {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return -1;
  int sndbuf = 1 << 20;
  setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);
  size_t at = 0;
  while (at < size) {
    const ssize_t n = write(fds[1], data + at, size - at);
    if (n <= 0) break;
    at += static_cast<size_t>(n);
  }
  shutdown(fds[1], SHUT_WR);
  if (fds[0] == 0) {  // a slot never holds socket 0
    const int moved = dup(fds[0]);
    close(fds[0]);
    fds[0] = moved;
  }
  PrinterSlot& slot = stKtRSE[0];
  slot.skKT = static_cast<platform::SocketHandle>(fds[0]);
  slot.skFin = platform::kInvalidSocket;
  slot.CurKTRInfoST.IpAddrUL = 0x7F000001;
  slot.CurKTRInfoST.PortComUW = kPortCommand;
  slot.CurKTRInfoST.PortFinUW = kPortFinish;
  slot.dwRseConnFlags = kRseConnCommand;
  return fds[1];
}

void endStream(int peer) {
  PrinterSlot& slot = stKtRSE[0];
  if (platform::isOpenSocket(slot.skKT)) close(static_cast<int>(slot.skKT));
  slot.skKT = platform::kInvalidSocket;
  slot.lpSendBuf = nullptr;
  slot.lpRecvBuf = nullptr;
  if (peer >= 0) close(peer);
}

void checkExchange(uint8_t mode, const uint8_t* data, size_t size, int capacity) {
  const int peer = printerStream(data, size);
  if (peer < 0) return;
  PrinterSlot& slot = stKtRSE[0];
  const char* request = kRequests[mode % kRequestCount];
  switch ((mode / kRequestCount) % 7) {
    case 0:
    case 1: {
      std::vector<char> send(32, '\0');
      std::vector<char> recv(static_cast<size_t>(capacity));
      std::memcpy(send.data() + 5, request, 8);
      slot.SendSize = KtMakeFrameFnI(send.data(), 8);
      slot.RecvSize = capacity;
      slot.lpSendBuf = send.data();
      slot.lpRecvBuf = recv.data();
      const int flags = mode & 1 ? kExReceiveOnly : 0;
      const int got = (mode / kRequestCount) % 7 == 0 ? KtSendRecvExFnI(0, flags, 0)
                                                      : SE_SendRecvFnI(flags, 0, &slot);
      if (got > capacity) __builtin_trap();
      break;
    }
    case 2: {
      std::vector<char> answer(41);
      KtCardTestFnBL(0, mode % 10, answer.data());
      break;
    }
    case 3: {
      std::vector<char> request59(59, '0');
      std::vector<char> answer(62);
      KtSetAddressFnBL(0, request59.data(), answer.data());
      break;
    }
    case 4: {
      std::vector<char> request22(22, '1');
      std::vector<char> answer(32);
      KtGetHeadDistanceFnBL(0, request22.data(), answer.data());
      break;
    }
    case 5:
      SE_AutoCutFnBL(&slot, kKindKt3600r);
      break;
    default: {
      std::vector<char> request20(20, '0');
      std::vector<char> answer(217);
      SE_HeadCheckFnBL(&slot, request20.data(), answer.data(), kKindKt3600r);
      break;
    }
  }
  endStream(peer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t mode = data[0];
  const int capacities[] = {100, 250, 512, 1 + data[1] % 64};
  const int capacity = capacities[data[1] % 4];
  const uint32_t seed = data[2];
  data += 3;
  size -= 3;
  checkRecognition(data, size, capacity, seed);
  checkExchange(mode, data, size, capacity);
  return 0;
}
