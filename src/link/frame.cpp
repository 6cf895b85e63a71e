#include "link/frame.h"

#include <algorithm>
#include <cstdio>

#include "link/command_table.h"

namespace nypr {

int KtMakeFrameFnI(char* buf, int len) {
  if (len > kMaxPayloadLen) return 0;
  buf[0] = kStx;
  if (len < 1) return -1;
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04d", len);
  std::copy(digits, digits + 4, buf + 1);
  buf[kFrameHeadLen + len] = kEtx;
  return len + kFrameOverhead;
}

int KtGetCmdTypeFnI(const char* payload) {
  const char c1 = payload[5];
  const char c2 = payload[6];
  const char c3 = payload[7];
  switch (c1) {
    case 'A':
      return c3 == 'S' ? 6 : 7;
    case 'B':
      return c3 == 'S' ? 22 : 23;
    case 'C':
      return c3 == 'S' ? 26 : 27;
    case 'D':
      return c3 == 'I' ? 13 : 14;
    case 'F':
      return c3 == 'S' ? 8 : c3 == 'R' ? 9 : 10;
    case 'G':
      return c3 == 'S' ? 20 : 21;
    case 'I':
      if (c2 == 'D') return c3 == 'S' ? 2 : 3;
      if (c2 == 'E') return 5;
      if (c2 == 'N') return c3 == 'E' ? 4 : c3 == 'R' ? 1 : 0;
      return -1;
    case 'L':
      if (c2 == 'E') return c3 == 'S' ? 24 : 25;
      return c3 == 'S' ? 28 : 29;
    case 'M':
      if (c2 == 'E') return c3 == 'S' ? 34 : 35;
      if (c2 == 'I') return c3 == 'S' ? 30 : 31;
      if (c2 == 'T') return c3 == 'S' ? 32 : 33;
      return -1;
    case 'P':
      if (c2 == 'R') return c3 == 'R' ? 12 : c3 == 'E' ? 17 : 11;
      if (c2 == 'S') return c3 == 'P' ? 15 : 16;
      if (c2 == 'T') return c3 == 'S' ? 36 : 37;
      return -1;
    case 'S':
      return c3 == 'S' ? 18 : 19;
    default:
      return -1;
  }
}

int KtGetAnsTypeFnI(int requestNo) {
  switch (requestNo) {
    case 0:
    case 2:
    case 4:
    case 6:
    case 8:
    case 11:
    case 13:
    case 15:
    case 18:
      return requestNo + 1;
    default:
      if (requestNo >= 20 && requestNo <= 36 && requestNo % 2 == 0) return requestNo + 1;
      return -1;
  }
}

int KtIsRightAnsFnBL(const char* request, const char* reply) {
  int t = KtGetCmdTypeFnI(request);
  if (t < 0) return 0;
  return KtGetCmdTypeFnI(reply) == KtGetAnsTypeFnI(t) ? 1 : 0;
}

bool KtAnswerMatches(const char* request, int requestLen, const char* frame, int frameLen) {
  if (requestLen < kPayloadCodeEnd || frameLen < kFrameHeadLen + kPayloadCodeEnd) return false;
  return KtIsRightAnsFnBL(request, frame + kFrameHeadLen) != 0;
}

int frameBytesMissing(const char* buf, int len) {
  if (len < 1 || buf[0] != kStx) return 0;
  // A frame that has reached its ETX is whole, whatever its length digits say: waiting
  // for bytes a printer miscounted would only end at the receive time-out.
  if (len > kFrameHeadLen && buf[len - 1] == kEtx) return 0;
  const int digitsAtHand = std::min(len - 1, 4);
  int payloadLen = 0;
  for (int i = 1; i <= digitsAtHand; ++i) {
    if (buf[i] < '0' || buf[i] > '9') return 0;
    payloadLen = payloadLen * 10 + (buf[i] - '0');
  }
  if (len < kFrameHeadLen) return kFrameHeadLen - len;
  const int frameLen = payloadLen + kFrameOverhead;
  return frameLen > len ? frameLen - len : 0;
}

int receiveAnswer(RecvFn recv, void* ctx, char* buf, int cap) {
  int got = recv(ctx, buf, cap);
  if (got <= 0) return got;
  // TCP may deliver one answer in several segments: gather the rest of an announced
  // frame, but nothing beyond it (the next bytes belong to the next answer).
  while (got < cap) {
    const int missing = frameBytesMissing(buf, got);
    if (missing <= 0) break;
    const int more = recv(ctx, buf + got, std::min(missing, cap - got));
    if (more <= 0) break;
    got += more;
  }
  return got;
}

int KtReadNumber(const char* field, int width) {
  int value = 0;
  for (int i = 0; i < width && field[i] >= '0' && field[i] <= '9'; ++i) {
    if (value > 99999999) break;  // wider than any field of the protocol
    value = value * 10 + (field[i] - '0');
  }
  return value;
}

}  // namespace nypr
