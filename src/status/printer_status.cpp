#include "status/printer_status.h"

#include <cstdio>
#include <cstring>

#include "core/host_api.h"
#include "core/slots.h"
#include "link/command_table.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link/frame.h"
#include "platform/profile.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"

namespace nypr {

volatile int g_AutoConnectFlag = 0;

namespace {

constexpr int kStatusBufSize = 101;
constexpr uint32_t kHeadRangeBaseId = 59957;  // + the rank character: "0" is 60005
constexpr uint32_t kOtherPrinterId = 60046;
constexpr uint32_t kCaptionId = 60014;

// Up to `width` characters of `field`, stopping at a NUL. Control characters would break
// the INI line the status goes to, so they are shown as "?".
void appendField(std::string& line, const char* field, int width) {
  for (int i = 0; i < width && field[i] != '\0'; ++i) {
    unsigned char c = static_cast<unsigned char>(field[i]);
    line += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
  }
}

// One character, or "0" when it is NUL.
void appendFlag(std::string& line, char c) {
  if (c == '\0') {
    line += '0';
  } else {
    appendField(line, &c, 1);
  }
}

// A write replaces the whole file and waits for the disk; every label asks the status once,
// and the auto-connect flag seldom changes.
void writeKeyIfChanged(const std::string& ini, const char* key, const std::string& value) {
  if (platform::profileReadString(ini, "KT3600R Info", key, "\x01") == value) return;
  platform::profileWriteString(ini, "KT3600R Info", key, value.c_str());
}

void writeStatusKeys(uint8_t index, const std::string& line) {
  const std::string ini = hostIniPath();
  char key[32];
  std::snprintf(key, sizeof key, "STATUS%02d", index);
  writeKeyIfChanged(ini, key, line);
  std::snprintf(key, sizeof key, "KT%02d_AUTOCONNECT", index);
  writeKeyIfChanged(ini, key, g_AutoConnectFlag ? "1" : "0");
}

// Tells the user that the printer at the slot's address is another model.
void showOtherModelWarning(uint8_t index, const char* block) {
  uint32_t ip = stKtRSE[index].CurKTRInfoST.IpAddrUL;
  char address[32];
  std::snprintf(address, sizeof address, "%u.%u.%u.%u", (ip >> 24) & 0xFF, (ip >> 16) & 0xFF,
                (ip >> 8) & 0xFF, ip & 0xFF);
  std::string kind;
  if (block[1] == '1' || block[1] == 'F') {
    kind = "KT5200R";
  } else if (block[1] == 'S') {
    kind = "KT3600R";
  } else {
    kind = moduleStringCp932(kOtherPrinterId);
  }
  std::string format = moduleStringCp932(kErrOtherModelWarning);
  char text[512];
  std::snprintf(text, sizeof text, format.c_str(), address, kind.c_str());
  std::string caption = moduleStringCp932(kCaptionId);
  platform::messageBeep(platform::BeepKind::Error);
  NyMessageBox(platform::focusWindow(), text, caption.c_str(), NY_MB_ICONWARNING);
}

}  // namespace

void parseStatusSummary(const char* block, PrnStatus& st) {
  st = PrnStatus{};
  auto store = [&](uint16_t& field, int pos, int width) {
    int v = ParseNumFieldFnI(block + pos, width);
    if (v >= 0) field = static_cast<uint16_t>(v);
  };
  store(st.GapSenUW, 20, 3);
  store(st.MarkSenUW, 23, 3);
  store(st.PeelSenUW, 26, 3);
  store(st.RibbonSenUW, 29, 3);
  store(st.HeadOpenUW, 33, 1);
  store(st.CutDoorSenUW, 46, 3);
  store(st.Status52UW, 52, 1);
  st.ValidUL = 1;
}

int ParseNumFieldFnI(const char* text, int width) {
  if (text == nullptr || width <= 0) return 0;
  int i = 0;
  while (i < width && text[i] == ' ') ++i;
  if (i >= width || text[i] == '\0') return 0;
  char digits[32];
  int n = 0;
  while (i < width && n < 31 && text[i] != '\0') digits[n++] = text[i++];
  digits[n] = '\0';
  // A signed decimal as atoi reads it: sign, digits, stop at anything else.
  int pos = 0;
  bool negative = false;
  if (digits[pos] == '-' || digits[pos] == '+') negative = digits[pos++] == '-';
  long value = 0;
  while (pos < n && digits[pos] >= '0' && digits[pos] <= '9') {
    value = value * 10 + (digits[pos++] - '0');
    if (value > 2147483647L) value = 2147483647L;
  }
  return static_cast<int>(negative ? -value : value);
}

void CloseSlotSocketsFnV(uint8_t index) {
  if (!isValidSlotIndex(index)) return;
  if (platform::isOpenSocket(stKtRSE[index].skKT)) KT36R_CloseSocket(index, 0);
  if (platform::isOpenSocket(stKtRSE[index].skFin)) KT36R_CloseSocket(index, 1);
}

std::string buildStatusLine(const char* b, const char* d) {
  std::string line;
  line.reserve(kStatusBufSize);
  for (int pos : {8, 11, 14, 20, 23, 26, 29}) {
    appendField(line, b + pos, 3);
    line += '#';
  }
  char rank = b[kStatusHeadRank];
  if (rank >= '0' && rank <= '7') {
    line += moduleStringCp932(kHeadRangeBaseId + static_cast<unsigned char>(rank));
  }
  line += '#';
  appendField(line, b + 33, 1);
  line += '#';
  appendField(line, b + 34, 4);
  line += '#';
  appendField(line, b + 38, 4);
  line += '#';
  appendFlag(line, b[kStatusFailureFlag]);
  line += '#';
  for (int pos : {43, 46, 49}) {
    appendField(line, b + pos, 3);
    line += '#';
  }
  appendFlag(line, b[52]);
  line += '#';
  // Head-break warning distance, then label and body travel in km, m and mm.
  static constexpr struct {
    int pos;
    const char* suffix;
  } kDistances[] = {{9, "#"},   {12, "Km"}, {15, "m"}, {18, "mm#"},
                    {22, "Km"}, {25, "m"},  {28, "mm"}};
  for (const auto& part : kDistances) {
    appendField(line, d + part.pos, 3);
    line += part.suffix;
  }
  if (line.size() > kStatusBufSize - 1) line.resize(kStatusBufSize - 1);
  return line;
}

bool GetPrinterStatusFnBL(uint8_t index, char* block) {
  if (!isValidSlotIndex(index) || block == nullptr) return false;
  PrinterSlot& slot = stKtRSE[index];
  char send[kStatusBufSize] = {};
  char recv[kStatusBufSize] = {};
  KtSetCmdHeaderFnV(send + kFrameHeadLen, kCmdSTS);
  const int frameLen = KtMakeFrameFnI(send, KtGetCmdLenFnI(kCmdSTS, 0));

  bool ok = false;
  bool otherModel = false;
  std::memset(block, 0, kStatusBlockLen);
  {
    // The answer is read and the connection closed before another call on this printer
    // can use them; the warning below waits for the user outside the lock.
    platform::CriticalSectionLock lock(printerLock(index));
    const int got = exchangeWithBuffers(index, send, frameLen, recv, kStatusBufSize, 0, 0);
    if (got > 0) {
      // Only the payload that arrived is copied (not the frame's ETX); the rest of a
      // short block stays NUL.
      int payload = got - kFrameOverhead;
      if (payload > kStatusBlockLen) payload = kStatusBlockLen;
      if (payload > 0) std::memcpy(block, recv + kFrameHeadLen, static_cast<size_t>(payload));
      if (block[kStatusFailureFlag] == '1') {
        slot.dwLastError = kErrStatus;
      } else if (block[0] == send[kFrameHeadLen] && block[1] == send[kFrameHeadLen + 1]) {
        ok = true;
      } else {
        otherModel = true;
      }
    }
    if (ok) parseStatusSummary(block, slot.PrnStatusST);
    KT36R_CloseSocket(index, 0);
  }
  if (otherModel) {
    showOtherModelWarning(index, block);
    slot.dwLastError = kErrWrongModel;
  }

  std::string line;
  if (ok) {
    char request[22 + 1] = {};
    char answer[32 + 1] = {};
    std::memcpy(request, "2S200LRS", 8);
    std::memset(request + 8, '0', 14);
    KtGetHeadDistanceFnBL(index, request, answer);
    line = buildStatusLine(block, answer);
  }
  writeStatusKeys(index, line);
  return ok;
}

}  // namespace nypr
