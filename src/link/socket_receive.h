// Receiving one answer from a printer connection (both command layers).
#pragma once

#include "platform/socket_handle.h"

namespace nypr {

// One answer into buf (cap bytes) through receiveAnswer: the first receive waits as the
// socket's receive time-out allows; the rest of a frame split into segments must then
// arrive within one more such time-out, counted from the first bytes, so a printer that
// trickles bytes cannot hold the exchange (and its lock) for long. Results as recv():
// bytes, 0 at end of stream, -1 with the socket error (10060 when the rest is late).
int receiveFromPrinter(platform::SocketHandle s, char* buf, int cap);

}  // namespace nypr
