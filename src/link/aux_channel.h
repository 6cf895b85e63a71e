// The auxiliary command channel: a second, wider command layer addressed by the slot
// pointer. It shares the frame, the exchange lock, the slot's sockets, buffers and error
// fields with the main link; its header depends on a printer kind, its table reaches
// command number 80, it connects through SE_CreateSocket and reports a wrong answer as
// 60302.
#pragma once

#include <cstdint>

#include "core/slots.h"

namespace nypr {

// Printer kinds and their headers.
inline constexpr int kKindKt3600r = 276;  // "2S200"
inline constexpr int kKind277 = 277;      // "6S200"
inline constexpr int kKind283 = 283;      // "2A200"
inline constexpr int kKind284 = 284;      // "6A200"

enum SeCommandNo : int {
  kSeCmdCPS = 36,  // cut position
  kSeCmdHCS = 40,  // head check
  kSeCmdACS = 46,  // auto cut (other kinds)
  kSeCmdCTS = 80,  // auto cut (this printer)
};

// Header by kind (other kinds leave the header bytes as they are) and code by number
// (numbers of commands the channel does not send leave the code bytes).
void SE_SetCmdHeaderFnV(char* payload, int commandNo, int kind);
// Payload length of a request the channel sends; 0 for other numbers.
int SE_GetCmdLenFnI(int commandNo);
// The frame of KtMakeFrameFnI.
int SE_MakeFrameFnI(char* buf, int len);
int SE_GetCmdTypeFnI(const char* payload);
int SE_GetAnsTypeFnI(int requestNo);
// 1 when `answer` answers `request` (payloads of at least 8 bytes), else 0 (logged).
int SE_IsRightAns(const char* request, const char* answer);
// Bounded form: request payload of `requestLen` bytes, received frame of `frameLen` bytes;
// the code decides, whatever the answer's length.
bool SE_AnswerMatches(const char* request, int requestLen, const char* frame, int frameLen);

// The exchange of KtSendRecvExFnI on the slot, with the channel's connection policy.
// Bytes received, 0, or -1, -2, -3, -6, -7 (60302 when only wrong answers came).
int SE_SendRecvFnI(int flags, int isFin, PrinterSlot* slot);
int SE_SendRecvComFnI(PrinterSlot* slot);

// Auto cut (CTS for kind 276, ACS otherwise): 1 done, 0 failed (the printer's number in
// dwLastError when it answered one).
int SE_AutoCutFnBL(PrinterSlot* slot, int kind);
// CPS: request payload of 10 bytes, answer buffer of 35 bytes. Leaves the command
// connection open.
int SE_GetCutPositionFnBL(PrinterSlot* slot, char* request, char* answer, int kind);
// HCS: request payload of 20 bytes, answer buffer of 217 bytes.
int SE_HeadCheckFnBL(PrinterSlot* slot, char* request, char* answer, int kind);

}  // namespace nypr
