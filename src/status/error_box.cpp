// The error box every dialog and the driver show after a failed printer operation, and
// the range message of dialog fields.
#include <cstdio>
#include <string>

#include "core/host_api.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"

namespace nypr {
namespace {

constexpr size_t kMessageSize = 512;
constexpr size_t kHelpRefSize = 99;
constexpr int kParamNameSize = 128;
constexpr uint32_t kCaptionId = 60014;
constexpr uint32_t kRangeMessageId = 60601;

// Style of the box for `code`: when the INI file names a help reference for the code, the
// host offers that help (bit 31 plus the code); otherwise a plain warning.
uint32_t boxStyleFor(uint32_t code) {
  char key[24];
  std::snprintf(key, sizeof key, "KTERR-%05u", code);
  char help[kHelpRefSize] = {};
  platform::profileReadString(hostIniPath(), "HELP PATH", key, "", help, sizeof help);
  return help[0] != '\0' ? (NY_MB_HELPCODE | code) : NY_MB_ICONWARNING;
}

int showBox(NyHwnd owner, const char* text, const std::string& caption, uint32_t code) {
  platform::messageBeep(platform::BeepKind::Error);
  const uint32_t style = boxStyleFor(code);
  if (owner == nullptr) owner = platform::focusWindow();
  return NyMessageBox(owner, text, caption.c_str(), style);
}

// Replaces "%s" and "%d" of a message from the string table with the given texts in
// order; the table text is data, so it is never handed to printf as a format.
std::string fillTemplate(const std::string& pattern, const std::string* args, size_t count) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const unsigned char ch = static_cast<unsigned char>(pattern[i]);
    if (platform::isCp932LeadByte(ch) && i + 1 < pattern.size()) {
      out += pattern[i];
      out += pattern[++i];
    } else if (ch == '%' && i + 1 < pattern.size() &&
               (pattern[i + 1] == 's' || pattern[i + 1] == 'd') && next < count) {
      out += args[next++];
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace

int ShowPrinterErrorFnI(NyHwnd owner, uint8_t index) {
  if (!isValidSlotIndex(index)) return 0;
  const uint32_t code = stKtRSE[index].dwLastError;
  if (code == kNoError || code == 0) return 0;
  char text[kMessageSize];
  GetErrorTextFnV(index, text, sizeof text);
  return showBox(owner, text, moduleStringCp932(kCaptionId), code);
}

int SE_ShowErrorFnI(NyHwnd owner, const PrinterSlot* slot) {
  if (slot == nullptr) return 0;
  const uint32_t code = slot->dwLastError;
  if (code == kNoError || code == 0) return 0;
  char text[kMessageSize];
  SE_GetErrorTextFnV(slot, text, sizeof text);
  char caption[kMessageSize] = {};
  if (LoadStringExFnI(kCaptionId, caption, sizeof caption, "KT-PRINTER") <= 0) caption[0] = '\0';
  caption[sizeof caption - 1] = '\0';
  return showBox(owner, text, caption, code);
}

void ShowParamRangeErrorFnV(uint32_t nameId, int minimum, int maximum) {
  char name[kParamNameSize];
  loadModuleString(nameId, name, sizeof name);
  const std::string args[] = {name, std::to_string(minimum), std::to_string(maximum)};
  const std::string message = fillTemplate(moduleStringCp932(kRangeMessageId), args, 3);
  platform::messageBeep(platform::BeepKind::Error);
  NyMessageBox(platform::focusWindow(), message.c_str(), moduleStringCp932(kCaptionId).c_str(),
               NY_MB_ICONWARNING);
}

}  // namespace nypr
