// kt3600r://ADDRESS devices. The application drives the printer through the module's
// exports, never through the device's bytes: opening the device checks its address, and
// the device list comes from the module's network search.
#include <cstdio>
#include <cstring>
#include <string>

#include "app.h"
#include "driver_text.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "printer_address.h"

namespace nypr::app {
namespace {

constexpr const char* kDeviceId = "MFG:NYPR;MDL:KT3600R;CMD:KT3600R;";
constexpr int kMaxFound = 64;

bool listDevices(pappl_device_cb_t cb, void* data, pappl_deverror_cb_t err, void* errData) {
  std::vector<NyPrFoundPrinterST> found(kMaxFound);
  const int32_t count = NyPrSearchPrinters(0, found.data(), kMaxFound);
  if (count < 0) {
    const std::string why =
        std::string("The printer search failed: ") + host::searchFailureText(count) + ".";
    if (err) (err)(why.c_str(), errData);
    return false;
  }
  for (int32_t i = 0; i < count; ++i) {
    NyPrFoundPrinterST& f = found[static_cast<size_t>(i)];
    f.szIPAddr[sizeof f.szIPAddr - 1] = '\0';
    f.szModel[sizeof f.szModel - 1] = '\0';
    if (!host::parseIpv4(f.szIPAddr)) continue;
    std::string model = host::utf8Line(f.szModel);
    while (!model.empty() && model.back() == ' ') model.pop_back();
    char info[128];
    std::snprintf(info, sizeof info, "%s (%s)", model.c_str(), f.szIPAddr);
    const std::string uri = std::string("kt3600r://") + f.szIPAddr;
    if ((cb)(info, uri.c_str(), kDeviceId, data)) return true;
  }
  return false;
}

bool openDevice(pappl_device_t* device, const char* uri, const char*) {
  if (!addressOfUri(uri)) {
    papplDeviceError(device, "'%s' is not a KT3600R device URI (kt3600r://a.b.c.d).", uri);
    return false;
  }
  return true;
}

void closeDevice(pappl_device_t*) {}

ssize_t readDevice(pappl_device_t*, void*, size_t) {
  return -1;
}

ssize_t writeDevice(pappl_device_t*, const void*, size_t bytes) {
  return static_cast<ssize_t>(bytes);
}

pappl_preason_t deviceStatus(pappl_device_t*) {
  return PAPPL_PREASON_NONE;
}

char* deviceId(pappl_device_t*, char* buffer, size_t size) {
  std::snprintf(buffer, size, "%s", kDeviceId);
  return buffer;
}

}  // namespace

void addDeviceScheme() {
  papplDeviceAddScheme("kt3600r", PAPPL_DEVTYPE_CUSTOM_NETWORK, listDevices, openDevice,
                       closeDevice, readDevice, writeDevice, deviceStatus, deviceId);
}

}  // namespace nypr::app
