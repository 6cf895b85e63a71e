// Command table and answer recognition of the auxiliary channel.
#include <cstring>

#include "core/host_api.h"
#include "link/aux_channel.h"
#include "link/frame.h"

namespace nypr {
namespace {

const char* headerOfKind(int kind) {
  switch (kind) {
    case kKindKt3600r:
      return "2S200";
    case kKind277:
      return "6S200";
    case kKind283:
      return "2A200";
    case kKind284:
      return "6A200";
    default:
      return nullptr;
  }
}

// The commands the channel sends and the answers it recognises: the cut (this printer's
// CTS, the other kinds' ACS), the cut position and the head check. An answer's number is
// its request's plus one.
struct AuxCommand {
  int no;
  const char* code;
  const char* answer;
  int len;  // payload length of the request
};
constexpr AuxCommand kAuxCommands[] = {
    {kSeCmdCPS, "CPS", "CPR", 10},
    {kSeCmdHCS, "HCS", "HCR", 20},
    {kSeCmdACS, "ACS", "ACR", 8},
    {kSeCmdCTS, "CTS", "CTR", 8},
};

const AuxCommand* commandOf(int commandNo) {
  for (const AuxCommand& c : kAuxCommands) {
    if (c.no == commandNo) return &c;
  }
  return nullptr;
}

}  // namespace

void SE_SetCmdHeaderFnV(char* payload, int commandNo, int kind) {
  if (const char* header = headerOfKind(kind)) std::memcpy(payload, header, 5);
  if (const AuxCommand* c = commandOf(commandNo)) std::memcpy(payload + 5, c->code, 3);
}

int SE_GetCmdLenFnI(int commandNo) {
  const AuxCommand* c = commandOf(commandNo);
  return c != nullptr ? c->len : 0;
}

int SE_MakeFrameFnI(char* buf, int len) {
  return KtMakeFrameFnI(buf, len);
}

int SE_GetAnsTypeFnI(int requestNo) {
  return commandOf(requestNo) != nullptr ? requestNo + 1 : -1;
}

int SE_GetCmdTypeFnI(const char* payload) {
  for (const AuxCommand& c : kAuxCommands) {
    if (std::memcmp(payload + 5, c.code, 3) == 0) return c.no;
    if (std::memcmp(payload + 5, c.answer, 3) == 0) return c.no + 1;
  }
  return -1;
}

int SE_IsRightAns(const char* request, const char* answer) {
  const int sendType = SE_GetCmdTypeFnI(request);
  if (sendType < 0) {
    printd("SE_IsRightAns failed, iSendType=%d\r\n\r\n", sendType);
    return 0;
  }
  const int recvType = SE_GetCmdTypeFnI(answer);
  if (recvType != SE_GetAnsTypeFnI(sendType)) {
    printd("SE_IsRightAns failed, iSendType=%d, iRecvType=%d\r\n\r\n", sendType, recvType);
    return 0;
  }
  return 1;
}

bool SE_AnswerMatches(const char* request, int requestLen, const char* frame, int frameLen) {
  if (requestLen < kPayloadCodeEnd || frameLen < kFrameHeadLen + kPayloadCodeEnd) return false;
  return SE_IsRightAns(request, frame + kFrameHeadLen) != 0;
}

}  // namespace nypr
