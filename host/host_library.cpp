// The host support functions the driver calls (logging, strings, messages, INI file,
// files, numbers, mirroring), as the stand-in host gives them.

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "core/host_api.h"
#include "host_state.h"
#include "log_sink.h"
#include "nyprkt3600r/module_resources.h"
#include "platform/host_file.h"
#include "platform/module_text.h"

using nyhost::state;

namespace {

void writeLog(const char* tag, const char* format, va_list args) {
  nyhost::writeLogLine(tag, format, args);
}

int copyText(const std::string& text, char* buf, int32_t size) {
  if (buf == nullptr || size <= 0) return 0;
  size_t limit = static_cast<size_t>(size) - 1;
  size_t n = 0;
  // Cut at a CP932 character boundary.
  while (n < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[n]);
    size_t len = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
    if (n + len > limit) break;
    n += len;
  }
  std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
  return static_cast<int>(n);
}

}  // namespace

extern "C" {

void RegisterDLLPrinterFnV(const char* model, NyHmodule module) {
  std::lock_guard lock(state().mutex);
  state().registeredModel = model ? model : "";
  state().registeredModule = module;
  ++state().registerCount;
}

const char* TSRGetIniFileName(void) {
  // The returned text stays valid for good, whatever path is set later. Not a per-thread
  // copy: the Windows toolchain frees a thread_local string before its destructor runs.
  std::lock_guard lock(state().mutex);
  return state().iniPathsGiven.insert(state().iniPath).first->c_str();
}

void GetModuleDirectory(char* buf, int32_t size) {
  std::string dir;
  {
    std::lock_guard lock(state().mutex);
    dir = state().moduleDir;
  }
  if (buf == nullptr || size <= 0) return;
  std::snprintf(buf, static_cast<size_t>(size), "%s", dir.c_str());
}

void printd(const char* format, ...) {
  va_list args;
  va_start(args, format);
  writeLog("DBG", format, args);
  va_end(args);
}

void printlog(const char* tag, const char* format, ...) {
  va_list args;
  va_start(args, format);
  writeLog(tag ? tag : "LOG", format, args);
  va_end(args);
}

void printlog_detail(const char* level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  writeLog(level ? level : "INF", format, args);
  va_end(args);
}

int32_t LoadStringFnI(uint32_t id, char* buf, int32_t size) {
  std::string text;
  {
    std::lock_guard lock(state().mutex);
    auto it = state().hostStrings.find(id);
    if (it == state().hostStrings.end()) {
      if (buf != nullptr && size > 0) buf[0] = '\0';
      return 0;
    }
    text = it->second;
  }
  return copyText(text, buf, size);
}

int32_t LoadStringExFnI(uint32_t id, char* buf, int32_t size, const char* /*section*/) {
  // The host's current language is the driver's own: ask the registered module.
  NyHmodule module;
  {
    std::lock_guard lock(state().mutex);
    module = state().registeredModule;
  }
  return nypr::platform::loadModuleText(module, id, buf, size);
}

int32_t NyMessageBox(NyHwnd owner, const char* text, const char* caption, uint32_t style) {
  NyhostMessageBoxHandler handler;
  void* user;
  bool toStderr;
  {
    std::lock_guard lock(state().mutex);
    auto& s = state();
    ++s.messageBoxCount;
    s.lastText = text ? text : "";
    s.lastCaption = caption ? caption : "";
    s.lastStyle = style;
    handler = s.messageBox;
    user = s.messageBoxUser;
    toStderr = s.messagesToStderr;
  }
  if (handler != nullptr) return handler(user, owner, text, caption, style);
  if (toStderr) {
    std::fprintf(stderr, "[%s] %s\n", nyhost::toUtf8(caption ? caption : "").c_str(),
                 nyhost::toUtf8(text ? text : "").c_str());
  }
  return NY_IDOK;
}

int16_t ConfirmMessageFnSW(NyHwnd owner, uint32_t messageId, const char* text, uint32_t style) {
  NyhostConfirmHandler handler;
  void* user;
  bool yes;
  bool toStderr;
  {
    std::lock_guard lock(state().mutex);
    auto& s = state();
    ++s.confirmCount;
    s.lastConfirmId = messageId;
    s.lastConfirmText = text ? text : "";
    handler = s.confirm;
    user = s.confirmUser;
    yes = s.answerYes;
    toStderr = s.messagesToStderr;
  }
  if (handler != nullptr) return static_cast<int16_t>(handler(user, owner, messageId, text, style));
  if (toStderr && text != nullptr) std::fprintf(stderr, "? %s\n", nyhost::toUtf8(text).c_str());
  if (style == 2) return NY_IDOK;
  return yes ? NY_IDYES : NY_IDNO;
}

void ErrorMessageFnV(NyHwnd owner, uint32_t messageId, uint32_t /*zero*/) {
  char text[512];
  if (LoadStringFnI(messageId, text, sizeof text) == 0) {
    std::snprintf(text, sizeof text, "ERROR:%u", messageId);
  }
  NyMessageBox(owner, text, "", NY_MB_ICONERROR);
}

int32_t CheckPasswordFnBL(NyHwnd owner, const char* accessCode, int32_t /*zero*/) {
  const std::string code = accessCode ? accessCode : "";
  NyhostPasswordHandler handler;
  void* user;
  bool accept;
  {
    std::lock_guard lock(state().mutex);
    handler = state().password;
    user = state().passwordUser;
    accept = state().passwordAccept;
  }
  if (handler != nullptr) return handler(user, owner, code.c_str()) ? 1 : 0;
  return accept ? 1 : 0;
}

int16_t GetFileNameFnSW(char* path, uint32_t filterTextId, int32_t /*zero*/) {
  NyhostFileNameHandler handler;
  void* user;
  {
    std::lock_guard lock(state().mutex);
    handler = state().fileName;
    user = state().fileNameUser;
  }
  if (handler == nullptr || path == nullptr) return 1;
  return handler(user, path, 260, filterTextId) ? 0 : 1;
}

NyHfile OpenFileFnHF(const char* path, int32_t /*zero*/) {
  return nypr::platform::hostFileOpen(path);
}

int32_t StrToIbyLen(const char* text, int32_t digits) {
  if (text == nullptr || digits <= 0) return 0;
  int i = 0;
  bool negative = false;
  while (i < digits && text[i] == ' ') ++i;
  if (i < digits && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long value = 0;
  for (; i < digits && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
  }
  return static_cast<int32_t>(negative ? -value : value);
}

// A memory size as the printer's card test answers it: a byte count in decimal digits,
// right-aligned (zeros or blanks before it, blanks after it are allowed), at most 15
// digits so that the count stays exact in a double. The byte count goes to *value and
// the result is the unit that suits it: 0 for no bytes, 1 below 1 KB (1024), 2 below
// 1 MB, 3 below 1 GB, 4 from 1 GB on. Anything else is not a size: *value 0, result -1.
int32_t ConvMemdSizeEXFnI(const char* text, double* value) {
  constexpr int kMaxDigits = 15;
  constexpr int kMaxText = 64;
  if (value != nullptr) *value = 0;
  if (text == nullptr || value == nullptr) return -1;
  int i = 0;
  while (i < kMaxText && text[i] == ' ') ++i;
  int digits = 0;
  double count = 0;
  for (; i < kMaxText && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    count = count * 10 + (text[i] - '0');
  }
  while (i < kMaxText && text[i] == ' ') ++i;
  if (digits == 0 || digits > kMaxDigits || i >= kMaxText || text[i] != '\0') return -1;
  *value = count;
  if (count == 0) return 0;
  if (count < 1024.0) return 1;
  if (count < 1048576.0) return 2;
  if (count < 1073741824.0) return 3;
  return 4;
}

}  // extern "C"
