// The host's fixed table of I/O-control questions.
#include <cstring>

#include "core/host_api.h"
#include "core/slots.h"
#include "driver/module_entry.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "settings/printer_settings.h"

namespace nypr {
namespace {

constexpr int32_t kFirstCode = 1;
constexpr int32_t kLastCode = 44;
constexpr int32_t kEmptyTextCode = 17;

int32_t writeU16(void* arg, uint16_t value) {
  if (arg == nullptr) return 0;
  std::memcpy(arg, &value, sizeof value);
  return 1;
}

int32_t emptyText(void* arg) {
  if (arg != nullptr) *static_cast<char*>(arg) = '\0';
  return 0;
}

// Code 1: the printer's address as dotted text, or "" when its settings cannot be read.
int32_t addressText(uint8_t index, void* arg, int32_t* size) {
  if (arg == nullptr) return 0;
  KtrInfo scratch{};
  scratch.PrinterNoUB = index;
  const char* text = ReadPrinterSettingsFnBL(&scratch) ? IpAddrToText(scratch.IpAddrUL, true) : "";
  // "255.255.255.255" and its NUL fit the host's buffer; a smaller one it names is honoured.
  size_t capacity = 16;
  if (size != nullptr && *size > 0 && static_cast<size_t>(*size) < capacity) {
    capacity = static_cast<size_t>(*size);
  }
  size_t n = std::strlen(text);
  if (n > capacity - 1) n = capacity - 1;
  std::memcpy(arg, text, n);
  static_cast<char*>(arg)[n] = '\0';
  return 1;
}

int32_t maxContrast(uint8_t index, void* arg) {
  if (arg == nullptr) return 0;
  auto* bytes = static_cast<uint8_t*>(arg);
  uint16_t speed;
  uint32_t mode;
  std::memcpy(&speed, bytes, sizeof speed);
  std::memcpy(&mode, bytes + 4, sizeof mode);
  uint16_t limit = GetMaxContrastFnUW(speed, index, mode);
  std::memcpy(bytes + 2, &limit, sizeof limit);
  return 0;
}

int32_t mediaInfo(uint8_t printerNo, void* arg) {
  if (arg == nullptr) return 0;
  MediaInfoST info;
  std::memset(&info, 0, sizeof info);
  info.KindUW = kKindCode;
  info.Value2UW = 150;
  info.Value4UW = 55;
  info.PrinterNoUB = printerNo;
  info.FlagsUW = 0x4;
  std::memcpy(arg, &info, sizeof info);
  return 1;
}

}  // namespace

intptr_t ioControl(uint8_t printerNo, int32_t code, void* arg, int32_t* size) {
  const uint8_t index = static_cast<uint8_t>(printerNo - 1);
  PrinterSlot& slot = stKtRSE[index];
  if (code < kFirstCode || code > kLastCode) code = kEmptyTextCode;
  switch (code) {
    case 1:
      return addressText(index, arg, size);
    case 2:
      return 0;
    case 3:
      return maxContrast(index, arg);
    case 4:
    case 9:
    case 21:
    case 22:
    case 44:
      return 1;
    case 5:
      return writeU16(arg, 800);
    case 6:
      return writeU16(arg, 200);
    case 7:
      return writeU16(arg, 5000);
    case 8:
      return writeU16(arg, 230);
    case 11:
      return writeU16(arg, 830);
    case 12:
      return writeU16(arg, 0);
    case 10:
      if (size != nullptr && *size < 4) return 0;
      if (arg == nullptr) return 0;  // nowhere to write the four bytes
      std::memset(arg, 0xFF, 4);
      if (size != nullptr) *size = 4;
      return 1;
    case 13:
      return mediaInfo(printerNo, arg);
    case 14:
      RegisterDLLPrinterFnV(kModelName, moduleHandle());
      return 1;
    case 15:
      return static_cast<intptr_t>(slot.dwUserData);
    case 16: {
      uintptr_t previous = slot.dwUserData;
      slot.dwUserData = reinterpret_cast<uintptr_t>(arg);
      return static_cast<intptr_t>(previous);
    }
    default:  // 17-20, 23-43
      return emptyText(arg);
  }
}

}  // namespace nypr

extern "C" NYPR_API intptr_t NYPR_STDCALL NyPrIoControl(uint8_t printerNo, int32_t code, void* arg,
                                                        int32_t* size) {
  if (printerNo < 1 || printerNo > nypr::kSlotCount) return 0;
  return nypr::ioControl(printerNo, code, arg, size);
}
