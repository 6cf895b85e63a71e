// A POSIX module handle points to the driver's resource table.
#include "nyprkt3600r/module_resources.h"
#include "platform/module_text.h"

namespace nypr::platform {

int loadModuleText(NyHmodule module, uint32_t id, char* buf, int size) {
  auto* res = static_cast<const NyModuleResources*>(module);
  if (res == nullptr || res->magic != NY_MODULE_RESOURCES_MAGIC || res->loadString == nullptr) {
    if (buf != nullptr && size > 0) buf[0] = '\0';
    return 0;
  }
  return res->loadString(id, buf, size);
}

}  // namespace nypr::platform
