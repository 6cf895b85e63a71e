// Process attach and detach on Windows. In the DLL, DllMain is the one start-up and
// shut-down. Linked statically into a program (the unit tests), the same work runs once
// from a constructor and a destructor of the program instead.
#include <windows.h>

#include "driver/module_entry.h"
#include "platform/module_load.h"

namespace nypr::platform {

const bool kModuleLoadHooksInstalled = true;

namespace {

HINSTANCE g_instance = nullptr;
bool g_attachedByProgram = false;

// The module that holds this code: the driver DLL, or a program linked with it.
HMODULE ownModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ownModule), &module);
  return module;
}

__attribute__((constructor)) void onProgramStart() {
  if (ownModule() != GetModuleHandleW(nullptr)) return;  // a DLL: DllMain does it
  g_instance = GetModuleHandleW(nullptr);
  g_attachedByProgram = moduleAttach();
}

__attribute__((destructor)) void onProgramEnd() {
  if (g_attachedByProgram) moduleDetach();
}

}  // namespace

NyHmodule moduleInstance(const void* /*portable*/) {
  return g_instance;
}

}  // namespace nypr::platform

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      nypr::platform::g_instance = instance;
      DisableThreadLibraryCalls(instance);
      return nypr::moduleAttach() ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      nypr::moduleDetach();
      return TRUE;
    default:
      return TRUE;
  }
}
