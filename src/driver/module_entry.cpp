// Module start-up and shut-down: what process attach and detach do. The platform layer's
// load hooks run them, once each per load (platform/module_load.h).
#include "driver/module_entry.h"

#include "core/host_api.h"
#include "core/slots.h"
#include "nyprkt3600r/module_resources.h"
#include "platform/module_load.h"
#include "platform/net.h"
#include "resources/strings.h"

namespace nypr {
namespace {

int loadStringThunk(unsigned id, char* buf, int size) {
  return loadModuleString(id, buf, size);
}

// The module handle: on POSIX the host reaches the string table through it.
const NyModuleResources g_moduleResources = {NY_MODULE_RESOURCES_MAGIC, &loadStringThunk};

}  // namespace

NyHmodule moduleHandle() {
  // Refers to the loader's hooks so that every link of the driver keeps them, static
  // ones included.
  if (!platform::kModuleLoadHooksInstalled) return nullptr;
  return platform::moduleInstance(&g_moduleResources);
}

bool moduleAttach() {
  printd("KT3600R loading...\r\n");
  if (platform::netStartup() != 0) {
    printd("WSAStartup failed, WLE=%li.\r\n", static_cast<long>(platform::netLastError()));
    return false;
  }
  RegisterDLLPrinterFnV(kModelName, moduleHandle());
  // The locks exist from now on: the socket-creation lock, the printers' own, then the
  // exchange lock.
  slotLock();
  printerLock(static_cast<uint8_t>(0));
  exchangeLock();
  return true;
}

void moduleDetach() {
  // The locks are static and go with the module.
  platform::netCleanup();
}

}  // namespace nypr
