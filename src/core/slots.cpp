#include "core/slots.h"

namespace nypr {

PrinterSlot stKtRSE[kSlotCount];
volatile int g_TestPrintFlag = 0;

platform::CriticalSection& slotLock() {
  static platform::CriticalSection cs;
  return cs;
}

platform::CriticalSection& printerLock(uint8_t index) {
  // One more for records outside the table and numbers out of range.
  static platform::CriticalSection locks[kSlotCount + 1];
  return locks[index < kSlotCount ? index : kSlotCount];
}

platform::CriticalSection& printerLock(const PrinterSlot* slot) {
  for (int i = 0; i < kSlotCount; ++i) {
    if (slot == &stKtRSE[i]) return printerLock(static_cast<uint8_t>(i));
  }
  return printerLock(static_cast<uint8_t>(kSlotCount));
}

platform::CriticalSection& exchangeLock() {
  static platform::CriticalSection cs;
  return cs;
}

}  // namespace nypr
