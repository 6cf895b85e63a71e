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

const char* codeOf(int commandNo) {
  switch (commandNo) {
    case 0:
      return "INS";
    case 2:
      return "IDS";
    case 4:
      return "INE";
    case 6:
      return "ADS";
    case 8:
      return "FES";
    case 11:
      return "PRS";
    case 13:
      return "DTI";
    case 15:
      return "PSP";
    case 18:
      return "STS";
    case 20:
      return "GMS";
    case 22:
      return "BZS";
    case 24:
      return "LES";
    case 26:
      return "CDS";
    case 28:
      return "LRS";
    case 30:
      return "MIS";
    case 32:
      return "MTS";
    case 34:
      return "MES";
    case 36:
      return "CPS";
    case 38:
      return "PTS";
    case 40:
      return "HCS";
    case 42:
      return "RBS";
    case 44:
      return "HLS";
    case 46:
      return "ACS";
    case 48:
      return "CMS";
    case 50:
      return "RTS";
    case 52:
      return "DSS";
    case 54:
      return "DBI";
    case 56:
      return "SFS";
    case 58:
      return "RPS";
    case 60:
      return "SFS";
    case 62:
      return "RPS";
    case 80:
      return "CTS";
    default:
      return nullptr;
  }
}

}  // namespace

void SE_SetCmdHeaderFnV(char* payload, int commandNo, int kind) {
  if (const char* header = headerOfKind(kind)) std::memcpy(payload, header, 5);
  if (const char* code = codeOf(commandNo)) std::memcpy(payload + 5, code, 3);
}

int SE_GetCmdLenFnI(int commandNo, int dataLen) {
  switch (commandNo) {
    case 0:
    case 4:
    case 15:
    case 18:
    case 22:
    case 24:
    case 30:
    case 34:
    case 42:
    case 44:
    case 46:
    case 48:
    case 50:
    case 56:
    case 58:
      return 8;
    case 3:
    case 5:
    case 16:
    case 23:
    case 25:
    case 26:
    case 31:
    case 33:
    case 35:
    case 45:
    case 47:
      return 9;
    case 14:
    case 32:
    case 36:
    case 49:
    case 51:
    case 55:
      return 10;
    case 9:
    case 12:
    case 38:
    case 39:
    case 53:
      return 15;
    case 20:
      return 18;
    case 40:
      return 20;
    case 21:
    case 43:
      return 21;
    case 28:
      return 22;
    case 52:
      return 26;
    case 29:
      return 32;
    case 37:
      return 35;
    case 27:
      return 41;
    case 6:
      return 59;
    case 7:
      return 62;
    case 41:
      return 217;
    case 2:
      return 524;
    case 13:
    case 54:
      return dataLen + 12;
    default:
      return 0;
  }
}

int SE_MakeFrameFnI(char* buf, int len) {
  return KtMakeFrameFnI(buf, len);
}

int SE_GetAnsTypeFnI(int requestNo) {
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
    case 60:
    case 62:
    case 80:
      return requestNo + 1;
    default:
      if (requestNo >= 20 && requestNo <= 54 && requestNo % 2 == 0) return requestNo + 1;
      return -1;
  }
}

int SE_GetCmdTypeFnI(const char* payload) {
  const char c1 = payload[5];
  const char c2 = payload[6];
  const char c3 = payload[7];
  switch (c1) {
    case 'A':
      if (c3 == 'S') return c2 == 'C' ? 46 : 6;
      return c2 == 'C' ? 47 : 7;
    case 'C':
      if (c3 == 'S') return c2 == 'P' ? 36 : c2 == 'M' ? 48 : c2 == 'T' ? 80 : 26;
      return c2 == 'P' ? 37 : c2 == 'M' ? 49 : c2 == 'T' ? 81 : 27;
    case 'D':
      if (c3 == 'I') return c2 == 'T' ? 13 : 54;
      if (c3 == 'S') return 52;
      return c2 == 'T' ? 14 : c2 == 'S' ? 53 : 55;
    case 'H':
      if (c3 == 'S') return c2 == 'C' ? 40 : 44;
      return c2 == 'C' ? 41 : 45;
    case 'P':
      if (c2 == 'T') return c3 == 'S' ? 38 : 39;
      return KtGetCmdTypeFnI(payload);  // PR.. and PS.. as on the main link
    case 'R':
      if (c3 == 'S') return c2 == 'T' ? 50 : c2 == 'P' ? 62 : 42;
      return c2 == 'T' ? 51 : c2 == 'P' ? 63 : 43;
    case 'S':
      if (c3 == 'S') return c2 == 'T' ? 18 : 60;
      return c2 == 'T' ? 19 : 61;
    case 'B':
    case 'F':
    case 'G':
    case 'I':
    case 'L':
    case 'M':
      return KtGetCmdTypeFnI(payload);
    default:
      return -1;
  }
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
