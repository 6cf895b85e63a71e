// Process attach and detach of a POSIX shared library: its constructor and destructor.
#include "driver/module_entry.h"
#include "platform/module_load.h"

namespace nypr::platform {

const bool kModuleLoadHooksInstalled = true;

NyHmodule moduleInstance(const void* portable) {
  return const_cast<void*>(portable);
}

namespace {

__attribute__((constructor)) void onLoad() {
  moduleAttach();
}
__attribute__((destructor)) void onUnload() {
  moduleDetach();
}

}  // namespace
}  // namespace nypr::platform
