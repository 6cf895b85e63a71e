#include "core/slots.h"

namespace nypr {

PrinterSlot stKtRSE[kSlotCount];
volatile int g_TestPrintFlag = 0;

platform::CriticalSection& slotLock() {
  static platform::CriticalSection cs;
  return cs;
}

platform::CriticalSection& exchangeLock() {
  static platform::CriticalSection cs;
  return cs;
}

}  // namespace nypr
