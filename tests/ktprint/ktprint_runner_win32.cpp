// ktprint.exe started as a Windows child process: its standard output and error through
// pipes, its environment changed as asked.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ktprint_runner.h"

namespace nypr::test {
namespace {

std::wstring wide(const std::string& text) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// One argument quoted as the C runtime splits a command line: backslashes are literal
// unless they precede a quote.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

// ktprint.exe beside this test program (both are built into one directory, where
// Windows also finds the driver's and the host's DLLs).
std::wstring programPath() {
  std::wstring self(MAX_PATH, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  self.resize(n);
  return self.substr(0, self.find_last_of(L"\\/") + 1) + wide(KTPRINT_PATH);
}

// This process's environment with `changes` ("NAME=value"; an empty value removes).
std::wstring environmentBlock(const std::vector<std::string>& changes) {
  std::vector<std::wstring> vars;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* p = strings; *p != L'\0'; p += wcslen(p) + 1) vars.emplace_back(p);
  FreeEnvironmentStringsW(strings);
  auto nameOf = [](const std::wstring& var) {
    std::wstring name = var.substr(0, var.find(L'=', 1));  // "=C:" entries start with '='
    CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
  };
  for (const std::string& change : changes) {
    const std::wstring var = wide(change);
    const std::wstring name = nameOf(var);
    std::erase_if(vars, [&](const std::wstring& v) { return nameOf(v) == name; });
    if (var.size() > var.find(L'=') + 1) vars.push_back(var);
  }
  std::sort(vars.begin(), vars.end(),
            [&](const std::wstring& a, const std::wstring& b) { return nameOf(a) < nameOf(b); });
  std::wstring block;
  for (const std::wstring& var : vars) block += var + L'\0';
  return block + L'\0';
}

// Appends what `pipe` holds now; false when it held nothing.
bool drain(HANDLE pipe, std::string& data) {
  bool any = false;
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buf[4096];
    DWORD n = 0;
    if (!ReadFile(pipe, buf, std::min<DWORD>(available, sizeof buf), &n, nullptr) || n == 0) break;
    data.append(buf, n);
    any = true;
  }
  return any;
}

// Text-mode line ends as "\n".
void plainLineEnds(std::string& data) {
  for (size_t at = data.find("\r\n"); at != std::string::npos; at = data.find("\r\n", at)) {
    data.erase(at, 1);
  }
}

}  // namespace

KtprintRun runKtprint(const std::string& ini, const std::vector<std::string>& args,
                      const std::vector<std::string>& env, const std::string& interruptAt) {
  KtprintRun result;
  if (!interruptAt.empty()) {
    // A console control event reaches only processes sharing a console, which a test
    // run under ctest does not have.
    ADD_FAILURE() << "Ctrl-C cannot be sent to ktprint.exe from here";
    return result;
  }
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return result;
  if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    CloseHandle(outRead);
    CloseHandle(outWrite);
    return result;
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);

  const std::wstring program = programPath();
  std::wstring commandLine = quoted(program) + L" --ini " + quoted(wide(ini));
  for (const std::string& arg : args) commandLine += L" " + quoted(wide(arg));
  std::wstring environment = environmentBlock(env);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW,
                                      environment.data(), nullptr, &startup, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (started) {
    // Read until the child has ended and its pipes are empty. Their ends of stream may
    // never come: a wine desktop process started by the child inherits its handles.
    for (;;) {
      const bool ended = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
      const bool read = drain(outRead, result.out) | drain(errRead, result.err);
      if (ended && !read) break;
      if (!read) WaitForSingleObject(process.hProcess, 5);
    }
    plainLineEnds(result.out);
    plainLineEnds(result.err);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) result.exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(outRead);
  CloseHandle(errRead);
  return result;
}

}  // namespace nypr::test
