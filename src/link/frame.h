// The printer's frame (STX, four length digits, payload, ETX) and the recognition of an
// answer by its code letters.
//
// A payload begins with the 5-character header and the 3-letter command code, so the code
// letters are payload bytes 5..7 (frame bytes 10..12).
#pragma once

#include <cstdint>

namespace nypr {

inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;
inline constexpr int kMaxPayloadLen = 1390;
inline constexpr int kFrameHeadLen = 5;    // STX and four length digits
inline constexpr int kFrameOverhead = 6;   // head and ETX
inline constexpr int kPayloadCodeEnd = 8;  // header (5) + code (3)

// Frames the payload that already stands at buf + 5: returns L + 6; 0 when L > 1390
// (nothing written); -1 when L < 1 (only the STX written).
int KtMakeFrameFnI(char* buf, int len);

// The command number of the code letters at payload bytes 5..7, or -1.
// The payload must have at least 8 bytes.
int KtGetCmdTypeFnI(const char* payload);
// The command number of the answer that request number `requestNo` expects, or -1.
int KtGetAnsTypeFnI(int requestNo);
// 1 when `reply` answers `request` (both point at a payload of at least 8 bytes), else 0.
int KtIsRightAnsFnBL(const char* request, const char* reply);

// Answer recognition that never reads past the bytes at hand: the request payload has
// `requestLen` bytes, the received frame `frameLen` bytes from its STX. A reply is right
// when its code is the expected answer's, whatever its length; its fields are read within
// the bytes received (the exchange zero-clears the rest of the answer buffer).
bool KtAnswerMatches(const char* request, int requestLen, const char* frame, int frameLen);

// How many more bytes the frame that starts at buf[0] needs to be complete: the rest of
// the length digits while they are arriving, then the rest of the announced frame.
// 0 when the bytes are complete (they end in ETX or reach the announced length, whichever
// comes first), do not start with STX, or carry a non-digit where the length digits stand.
int frameBytesMissing(const char* buf, int len);

// One answer off the wire. `recv` reads like recv(): bytes, 0 at end of stream, -1 on
// failure. The first read takes what has arrived (up to `cap`); when that is the start
// of a frame announcing more bytes, further reads fill the rest of the frame (never more
// than it announces, never past `cap`) until it is complete, the stream ends or a read
// fails. Returns the first read's result when it gave no bytes, else the bytes gathered.
using RecvFn = int (*)(void* ctx, char* buf, int len);
int receiveAnswer(RecvFn recv, void* ctx, char* buf, int cap);

// The decimal number at the start of an answer field of at most `width` characters; a
// character that is not a digit ends it (no digits: 0).
int KtReadNumber(const char* field, int width);

}  // namespace nypr
