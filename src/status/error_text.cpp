// The message text of a driver error code: printer error numbers, printer conditions,
// the driver's own codes (their own string ids) and host message ids.
#include "status/error_text.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/host_api.h"
#include "platform/text.h"
#include "resources/strings.h"
#include "status/error_message.h"

namespace nypr {
namespace {

constexpr int kTextBufferSize = 512;
constexpr const char* kLanguageSection = "KT-PRINTER";

// Where the module's own texts come from: the string table itself, or the host's
// language loader, which may supply a translation of the same id.
enum class TextSource { Module, HostLanguage };

// A host text of at most `size` - 1 bytes may end in the first byte of a double-byte
// character when the host cut it; such a byte would swallow whatever follows it.
void dropDanglingLeadByte(std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    if (platform::isCp932LeadByte(static_cast<unsigned char>(text[i]))) {
      if (i + 1 >= text.size()) {
        text.resize(i);
        return;
      }
      i += 2;
    } else {
      i += 1;
    }
  }
}

std::string hostText(uint32_t id) {
  char buf[kTextBufferSize] = {};
  if (LoadStringFnI(id, buf, kTextBufferSize) <= 0) return {};
  std::string text(buf, strnlen(buf, kTextBufferSize - 1));
  dropDanglingLeadByte(text);
  return text;
}

std::string moduleText(uint32_t id, TextSource source) {
  if (source == TextSource::Module) return moduleStringCp932(id);
  char buf[kTextBufferSize] = {};
  if (LoadStringExFnI(id, buf, kTextBufferSize, kLanguageSection) <= 0) return {};
  std::string text(buf, strnlen(buf, kTextBufferSize - 1));
  dropDanglingLeadByte(text);
  return text;
}

std::string errorText(uint32_t code, int32_t detail, TextSource source) {
  // "No error" (300) and a cleared code (0) are looked up as host messages like any other
  // code: the host may have a text for them, else they read "ERROR:300" and "ERROR:0".
  // The error boxes show nothing for them.
  // The auxiliary channel's printer knows error numbers 1..96 only.
  const uint32_t lastPrinterError = source == TextSource::Module ? 107 : 96;
  if (code >= 1 && code <= lastPrinterError) return moduleText(60100 + code, source);
  if (code >= 900 && code <= 999) return moduleText(60000 + code, source);

  std::string text = code >= 60000 ? moduleText(code, source) : hostText(code);
  char appendix[32];
  if (text.empty()) {
    std::snprintf(appendix, sizeof appendix, "ERROR:%u", code);
    return appendix;
  }
  if (code == kErrWrongParameter) {
    std::snprintf(appendix, sizeof appendix, "No.%03d", detail);
    text += appendix;
  } else if (code >= kErrSocket && code <= kErrSocketReceive) {
    std::snprintf(appendix, sizeof appendix, "No.%05d", detail);
    text += appendix;
  }
  return text;
}

}  // namespace

std::string errorMessageCp932(uint32_t code, int32_t detail) {
  return errorText(code, detail, TextSource::Module);
}

std::string auxiliaryErrorMessageCp932(uint32_t code, int32_t detail) {
  return errorText(code, detail, TextSource::HostLanguage);
}

void GetErrorTextFnV(uint8_t index, char* text, size_t size) {
  if (text == nullptr || size == 0) return;
  if (!isValidSlotIndex(index)) {
    text[0] = '\0';
    return;
  }
  const PrinterSlot& slot = stKtRSE[index];
  platform::copyCp932(errorMessageCp932(slot.dwLastError, slot.dwError), text, size);
}

void SE_GetErrorTextFnV(const PrinterSlot* slot, char* text, size_t size) {
  if (text == nullptr || size == 0) return;
  if (slot == nullptr) {
    text[0] = '\0';
    return;
  }
  platform::copyCp932(auxiliaryErrorMessageCp932(slot->dwLastError, slot->dwError), text, size);
}

}  // namespace nypr
