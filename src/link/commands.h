// The command functions of the main link: each builds its request, runs one exchange on
// the slot's connection, judges the answer and leaves a failure code in dwLastError.
// They return 1 on success and 0 on failure (the exchange's code 60400..60404, or the
// command's own code when the printer reports a failure).
//
// Request payloads handed in by callers get their header and code written here; answer
// buffers receive the answer payload from its header on.
#pragma once

#include <cstdint>

namespace nypr {

// Sends the printer program file: INS, 512-byte IDS blocks, INE.
int KtSendProgramFnBL(uint8_t n, const char* fileName);
// ADS: request payload of 59 bytes, answer buffer of 62 bytes.
int KtSetAddressFnBL(uint8_t n, char* request, char* answer);
// GMS on the finish connection: request payload of 18 bytes, answer buffer of 21 bytes.
int KtGetGapMarkFnBL(uint8_t n, char* request, char* answer);
int KtBuzzerTestFnBL(uint8_t n);
int KtLedTestFnBL(uint8_t n);
// CDS for card 0..9; answer buffer of 41 bytes.
int KtCardTestFnBL(uint8_t n, int cardNo, char* answer);
// LRS: request payload of 22 bytes, answer buffer of 32 bytes.
int KtGetHeadDistanceFnBL(uint8_t n, char* request, char* answer);
int KtMotorTestStartFnBL(uint8_t n);
int KtMotorTestFnBL(uint8_t n, int firstChoice, int secondChoice);
int KtMotorTestEndFnBL(uint8_t n);
// PTS: request payload of 15 bytes.
int KtTestPrintFnBL(uint8_t n, char* request);

// The LRS request adjustment (in place, payload of 22 bytes): in read mode the distance
// field is "001"; in set mode it is clamped to 001..250; when offset 12 is '0' the nine
// digits after it are zeros.
void KtAdjustDistanceRequest(char* payload);

}  // namespace nypr
