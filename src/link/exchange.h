// One framed exchange with the printer on a slot's command or finish connection.
//
// The caller puts the frame in lpSendBuf (SendSize bytes, room for one byte more) and
// points lpRecvBuf/RecvSize at the answer buffer. The exchange sends the frame, then
// receives up to three times until an answer carries the code the request expects,
// whatever its length; wrong answers are dropped. Past the taken answer the buffer is
// zero-cleared up to RecvSize. Every exchange of every slot runs under the exchange lock, from
// its socket check to its answer check, inside the printer's own lock; the pause owed to
// the printer before a reconnect and the error box of a failed connect come outside it.
#pragma once

#include <cstdint>

namespace nypr {

// Exchange flags.
inline constexpr int kExReceiveOnly = 1;   // do not send
inline constexpr int kExSendOnly = 2;      // do not receive
inline constexpr int kExNoResetRetry = 4;  // on a connection reset, do not retry

// Results besides the bytes received.
inline constexpr int kExNoSocket = -1;
inline constexpr int kExSendZero = -2;
inline constexpr int kExSendFailed = -3;
inline constexpr int kExRecvFailed = -6;
inline constexpr int kExNoRightAnswer = -7;

// Bytes of the taken answer (> 0); 0 when no receive was asked for; -1 no socket (60400..
// 60402), -2 send returned 0, -3 send failed (60403), -6 receive failed, -7 three receives
// without a right answer (60404).
int KtSendRecvExFnI(uint8_t n, int flags, int isFin);
// Send and receive on the command connection.
int KtSendRecvFnI(uint8_t n);

// One exchange on slot n with the caller's buffers: the frame of frameLen bytes (room for
// one byte more) and an answer buffer of recvSize bytes. The buffers are lent to the slot
// and taken back under the printer's lock, so calls on one printer from several threads
// take turns instead of using one another's buffers. Results as KtSendRecvExFnI.
int exchangeWithBuffers(uint8_t n, char* frame, int frameLen, char* recv, int recvSize, int flags,
                        int isFin);

}  // namespace nypr
