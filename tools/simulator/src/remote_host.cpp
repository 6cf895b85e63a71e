#include "remote_host.h"

#include <cstdlib>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

extern char** environ;
#endif

#ifndef KTSIM_NATIVE_EXE
#error "KTSIM_NATIVE_EXE names the native kt3600r-sim (set by tools/simulator/CMakeLists.txt)"
#endif

namespace ktsim::remote {

std::string nativeSimulatorPath() {
  const char* fromEnvironment = std::getenv("KTSIM_NATIVE_EXE");
  return fromEnvironment && *fromEnvironment ? fromEnvironment : KTSIM_NATIVE_EXE;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(other.pid_) {
  other.pid_ = 0;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    reap(std::chrono::milliseconds(2000));
    pid_ = other.pid_;
    other.pid_ = 0;
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  reap(std::chrono::milliseconds(2000));
}

#ifdef _WIN32

namespace {

// Wine's own conversions between its drive paths and Unix paths (kernel32 exports that
// exist only under wine; cdecl, results allocated on the process heap).
using ToUnixName = char*(__cdecl*)(const wchar_t*);
using ToDosName = wchar_t*(__cdecl*)(const char*);

template <class F>
F wineFunction(const char* name) {
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  const FARPROC f = kernel ? ::GetProcAddress(kernel, name) : nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(f));
}

std::wstring widen(const std::string& text) {
  const int n =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string narrow(const wchar_t* wide) {
  const int n = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string text(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), n, nullptr, nullptr);
  text.resize(static_cast<size_t>(n - 1));
  return text;
}

}  // namespace

ChildProcess ChildProcess::spawn(const std::string& program,
                                 const std::vector<std::string>& arguments) {
  // Wine starts a Unix program named by its drive path like a Windows one.
  std::string line = "\"" + fromNativePath(program) + "\"";
  for (const auto& a : arguments) line += " \"" + a + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    throw std::runtime_error("ktsim: cannot start the native simulator '" + program + "' (error " +
                             std::to_string(::GetLastError()) + ")");
  }
  if (info.hThread) ::CloseHandle(info.hThread);
  if (info.hProcess) ::CloseHandle(info.hProcess);
  return ChildProcess();
}

void ChildProcess::reap(std::chrono::milliseconds) {}

std::string toNativePath(const std::string& path) {
  const auto toUnix = wineFunction<ToUnixName>("wine_get_unix_file_name");
  if (path.empty() || !toUnix) return path;
  char* unixName = toUnix(widen(path).c_str());
  if (!unixName) return path;
  std::string result(unixName);
  ::HeapFree(::GetProcessHeap(), 0, unixName);
  return result;
}

std::string fromNativePath(const std::string& path) {
  const auto toDos = wineFunction<ToDosName>("wine_get_dos_file_name");
  if (path.empty() || !toDos) return path;
  wchar_t* dos = toDos(path.c_str());
  if (!dos) return path;
  std::string result = narrow(dos);
  ::HeapFree(::GetProcessHeap(), 0, dos);
  return result;
}

#else

ChildProcess ChildProcess::spawn(const std::string& program,
                                 const std::vector<std::string>& arguments) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int error = ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    throw std::runtime_error("ktsim: cannot start the native simulator '" + program +
                             "': " + std::strerror(error));
  }
  ChildProcess child;
  child.pid_ = pid;
  return child;
}

void ChildProcess::reap(std::chrono::milliseconds grace) {
  if (pid_ <= 0) return;
  const auto pid = static_cast<pid_t>(pid_);
  pid_ = 0;
  const auto deadline = std::chrono::steady_clock::now() + grace;
  for (;;) {
    const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
    if (r == pid || (r < 0 && errno != EINTR)) return;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

std::string toNativePath(const std::string& path) {
  return path;
}

std::string fromNativePath(const std::string& path) {
  return path;
}

#endif

}  // namespace ktsim::remote
