// The printer's command set: numbers, codes and payload lengths.
//
// Each command has a number; a request's answer has the next number. The code of a
// request is written by the driver; answers are recognised by their code letters
// (frame.h) and never written.
#pragma once

#include <cstdint>

namespace nypr {

inline constexpr char kCmdHeader[] = "2S200";

enum CommandNo : int {
  kCmdINS = 0,          // start of a program transfer
  kCmdIDS = 2,          // one 512-byte program block
  kCmdINE = 4,          // end of the program transfer
  kCmdADS = 6,          // read or set the network addresses
  kCmdFES = 8,          // feed one label
  kCmdFESUnknown = 10,  // what an 'F' code ending in neither 'S' nor 'R' is taken for
  kCmdPRS = 11,         // start a print job
  kCmdDTI = 13,         // one block of label image data
  kCmdPSP = 15,         // stop printing
  kCmdPRE = 17,         // finish report (sent by the printer unasked)
  kCmdSTS = 18,         // printer status
  kCmdGMS = 20,         // gap/mark sensor values
  kCmdBZS = 22,         // buzzer test
  kCmdLES = 24,         // LED test
  kCmdCDS = 26,         // memory card test
  kCmdLRS = 28,         // head and label travel distances
  kCmdMIS = 30,         // motor test: prepare
  kCmdMTS = 32,         // motor test: run
  kCmdMES = 34,         // motor test: end
  kCmdPTS = 36,         // test print
};

// Writes "2S200" at payload offsets 0-4 and the code of `commandNo` at 5-7; for a number
// without a code only the header is written.
void KtSetCmdHeaderFnV(char* payload, int commandNo);
// Payload length of `commandNo` (n + 12 for DTI, whose data length is n); 0 for numbers
// without a length.
int KtGetCmdLenFnI(int commandNo, int dataLen);
// "%04d" of `number`, its last four characters copied to `dest` (number mod 10000).
void KtPutNum4FnV(int number, char* dest);

}  // namespace nypr
