// Help on Windows: the HTML Help engine for the setup dialog's topics and WinHelp for the
// sensor dialog's adjustment procedure.
//
// The engine is looked for once: the library registered for its class (the classes root's
// "CLSID\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\InprocServer32"), else "hhctrl.ocx", and
// its ANSI entry point, export ordinal 14. Library and entry point stay loaded; when either
// cannot be had, help stays unavailable for the rest of the process.
#include <windows.h>

#include <filesystem>
#include <mutex>
#include <string>

#include "platform/help.h"
#include "platform/win32/ui_wide_win32.h"

namespace nypr::platform {
namespace {

using HtmlHelpEntry = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
constexpr WORD kHtmlHelpOrdinal = 14;
constexpr char kEngineKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

std::mutex g_helpMutex;
bool g_engineLooked = false;
HtmlHelpEntry g_engine = nullptr;
int g_requestCount = 0;
HelpRequest g_lastRequest;
std::string g_programNameOverride;

// The engine's library as registered; "" when the class is not registered.
std::string registeredEngine() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kEngineKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return {};
  }
  char value[MAX_PATH] = {};
  DWORD type = 0;
  DWORD size = sizeof value - 1;
  const LONG status =
      RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  value[size < sizeof value ? size : sizeof value - 1] = '\0';
  if (type == REG_SZ) return value;
  char expanded[MAX_PATH] = {};
  const DWORD n = ExpandEnvironmentStringsA(value, expanded, sizeof expanded);
  return (n > 0 && n <= sizeof expanded) ? std::string(expanded) : std::string();
}

// Called with g_helpMutex held.
HtmlHelpEntry engine() {
  if (g_engineLooked) return g_engine;
  g_engineLooked = true;
  HMODULE library = nullptr;
  const std::string registered = registeredEngine();
  if (!registered.empty()) library = LoadLibraryA(registered.c_str());
  if (library == nullptr) library = LoadLibraryA("hhctrl.ocx");
  if (library == nullptr) return nullptr;
  g_engine = reinterpret_cast<HtmlHelpEntry>(
      reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
  if (g_engine == nullptr) FreeLibrary(library);
  return g_engine;
}

void record(const HelpRequest& request) {
  ++g_requestCount;
  g_lastRequest = request;
}

}  // namespace

std::string hostProgramName() {
  {
    std::lock_guard lock(g_helpMutex);
    if (!g_programNameOverride.empty()) return g_programNameOverride;
  }
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return win32ui::cp932FromWide(std::filesystem::path(path).stem().wstring());
}

bool showHtmlHelp(NyHwnd window, const std::string& fileAndTopic) {
  HtmlHelpEntry entry = nullptr;
  {
    std::lock_guard lock(g_helpMutex);
    entry = engine();
    if (entry == nullptr) return false;
    record(HelpRequest{window, fileAndTopic, 0, true});
  }
  // Outside the lock: the engine may run window messages of the caller's thread.
  entry(win32ui::hwnd(window), fileAndTopic.c_str(), kDisplayTopic, 0);
  return true;
}

bool showContextHelp(NyHwnd window, const std::string& file, uint32_t context) {
  if (!WinHelpA(win32ui::hwnd(window), file.c_str(), HELP_CONTEXT, context)) return false;
  std::lock_guard lock(g_helpMutex);
  record(HelpRequest{window, file, context, false});
  return true;
}

int helpRequestCountForTesting() {
  std::lock_guard lock(g_helpMutex);
  return g_requestCount;
}

HelpRequest lastHelpRequestForTesting() {
  std::lock_guard lock(g_helpMutex);
  return g_lastRequest;
}

void setHostProgramNameForTesting(const std::string& name) {
  std::lock_guard lock(g_helpMutex);
  g_programNameOverride = name;
}

}  // namespace nypr::platform
