#include "link/command_table.h"

#include <cstdio>
#include <cstring>

namespace nypr {
namespace {

struct CommandEntry {
  const char* code;  // null: no code (answers, unused numbers)
  int payloadLen;    // 0: no length
};

// Indexed by command number, 0..37.
constexpr CommandEntry kCommands[] = {
    {"INS", 8},    {nullptr, 11}, {"IDS", 524},  {nullptr, 9},  {"INE", 8},   {nullptr, 9},
    {"ADS", 59},   {nullptr, 62}, {"FES", 208},  {nullptr, 15}, {nullptr, 0}, {"PRS", 208},
    {nullptr, 15}, {"DTI", 12},   {nullptr, 10}, {"PSP", 8},    {nullptr, 9}, {nullptr, 16},
    {"STS", 8},    {nullptr, 53}, {"GMS", 18},   {nullptr, 21}, {"BZS", 8},   {nullptr, 9},
    {"LES", 8},    {nullptr, 9},  {"CDS", 9},    {nullptr, 41}, {"LRS", 22},  {nullptr, 32},
    {"MIS", 8},    {nullptr, 9},  {"MTS", 10},   {nullptr, 9},  {"MES", 8},   {nullptr, 9},
    {"PTS", 15},   {nullptr, 15},
};
constexpr int kCommandCount = static_cast<int>(sizeof kCommands / sizeof kCommands[0]);
static_assert(kCommandCount == 38);

}  // namespace

void KtSetCmdHeaderFnV(char* payload, int commandNo) {
  std::memcpy(payload, kCmdHeader, 5);
  if (commandNo >= 0 && commandNo < kCommandCount && kCommands[commandNo].code) {
    std::memcpy(payload + 5, kCommands[commandNo].code, 3);
  }
}

int KtGetCmdLenFnI(int commandNo, int dataLen) {
  if (commandNo < 0 || commandNo >= kCommandCount) return 0;
  if (commandNo == kCmdDTI) return dataLen + 12;
  return kCommands[commandNo].payloadLen;
}

void KtPutNum4FnV(int number, char* dest) {
  char text[16];
  int n = std::snprintf(text, sizeof text, "%04d", number);
  std::memcpy(dest, text + n - 4, 4);
}

}  // namespace nypr
