// The Windows console. ktprint's text is UTF-8 (the host library converts the
// driver's CP932 to it). On a console it is shown through WriteConsoleW, whatever the
// console's code page; redirected to a file or a pipe it stays UTF-8 bytes, as the tests
// and today's Windows tools read them. Ctrl-C and Ctrl-Break reach a console control
// handler.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>

#include "console.h"

namespace ktprint {
namespace {

// Length of the leading part of `text` that ends on a whole UTF-8 sequence.
size_t wholeSequences(const std::string& text) {
  size_t end = text.size();
  for (size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // continuation byte: look further back
    const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    if (length > back) end = text.size() - back;
    break;
  }
  return end;
}

// Writes UTF-8 to a console as wide characters; a sequence split between two writes is
// held until its end arrives.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    pending_.append(s, static_cast<size_t>(n));
    const size_t whole = wholeSequences(pending_);
    if (whole > 0) {
      write(pending_.substr(0, whole));
      pending_.erase(0, whole);
    }
    return n;
  }

 private:
  void write(const std::string& utf8) {
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    DWORD written = 0;
    WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  }

  HANDLE console_;
  std::string pending_;
};

bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

std::atomic<void (*)()> g_onInterrupt{nullptr};

BOOL WINAPI onControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (auto handler = g_onInterrupt.load(); handler != nullptr) handler();
  return TRUE;
}

}  // namespace

void setUpConsole() {
  static ConsoleBuffer out(GetStdHandle(STD_OUTPUT_HANDLE));
  static ConsoleBuffer err(GetStdHandle(STD_ERROR_HANDLE));
  if (isConsole(GetStdHandle(STD_OUTPUT_HANDLE))) std::cout.rdbuf(&out);
  if (isConsole(GetStdHandle(STD_ERROR_HANDLE))) std::cerr.rdbuf(&err);
}

bool standardOutputIsTerminal() {
  return isConsole(GetStdHandle(STD_OUTPUT_HANDLE));
}

void catchInterrupts(void (*onInterrupt)()) {
  g_onInterrupt.store(onInterrupt);
  SetConsoleCtrlHandler(onControl, TRUE);
}

void releaseInterrupts() {
  SetConsoleCtrlHandler(onControl, FALSE);
  g_onInterrupt.store(nullptr);
}

std::string defaultIniPath() {
  // NYHOST_INI names the file for every host program alike; else the user's roaming
  // application data, as a Windows program keeps its settings.
  char value[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA("NYHOST_INI", value, sizeof value);
  if (n > 0 && n < sizeof value) return value;
  n = GetEnvironmentVariableA("APPDATA", value, sizeof value);
  if (n == 0 || n >= sizeof value) return "";
  std::string dir = std::string(value) + "\\nyprkt3600r";
  CreateDirectoryA(dir.c_str(), nullptr);  // already there is fine
  return dir + "\\host.ini";
}

}  // namespace ktprint
