// The eight printer slots and the module-wide state every part of the driver shares.
#pragma once

#include <cstdint>

#include "nyprkt3600r/platform_types.h"
#include "platform/socket_handle.h"
#include "platform/sync.h"

namespace nypr {

inline constexpr int kSlotCount = 8;
inline constexpr uint32_t kNoError = 300;
inline constexpr uint16_t kKindCode = 276;
inline constexpr uint16_t kPortCommand = 10000;
inline constexpr uint16_t kPortFinish = 10001;

// Connection record of one printer, filled by the settings store.
struct KtrInfo {
  uint16_t PortComUW;   // command connection port, 10000
  uint16_t PortFinUW;   // finish report connection port, 10001
  uint32_t IpAddrUL;    // IPv4, first octet in the most significant byte; 0 = not set
  uint16_t ProtoUW;     // 0 = TCP
  uint8_t PrinterNoUB;  // slot index 0..7 of the slot holding this record
};

// Status summary of the last successful status query.
struct PrnStatus {
  uint32_t ValidUL;
  uint16_t GapSenUW;
  uint16_t MarkSenUW;
  uint16_t PeelSenUW;
  uint16_t RibbonSenUW;
  uint16_t HeadOpenUW;
  uint16_t CutDoorSenUW;
  uint16_t Status52UW;
};

// Kinds of the last job started on a slot.
inline constexpr uint16_t kJobLabel = 1;
inline constexpr uint16_t kJobFeed = 2;

// Bits of dwRseConnFlags: connections opened by the auxiliary channel's socket creation.
inline constexpr uint32_t kRseConnCommand = 0x1;
inline constexpr uint32_t kRseConnFinish = 0x2;

struct PrinterSlot {
  platform::SocketHandle skKT;   // command connection
  platform::SocketHandle skFin;  // finish report connection
  uint32_t dwRseConnFlags;       // guarded by printerLock()
  uintptr_t dwUserData;          // I/O control 15/16; owner window of the wait dialog
  uint16_t JobKindUW;
  uint32_t dwLastError;  // driver error code, 300 = none
  int32_t dwError;       // socket error number or detail number, 300 = none
  KtrInfo CurKTRInfoST;
  uint8_t HeadRankUB;
  uint8_t AutoPeelUB;
  char* lpSendBuf;
  char* lpRecvBuf;
  uint32_t RecvLen;
  int32_t SendSize;
  int32_t RecvSize;
  uint32_t dwCloseTick;  // tick of the last command socket close
  uint32_t dwActTick;    // tick of the last print start or finish-connection data
  int32_t PosAdjXI;
  int32_t PosAdjYI;
  int32_t PosAdjModeI;
  uint32_t CopiesUL;
  PrnStatus PrnStatusST;
};

// The slots, zero at load, indexed by slot index 0..7.
extern PrinterSlot stKtRSE[kSlotCount];

// Set by the test-print dialog while it follows a running test print.
extern volatile int g_TestPrintFlag;

// One printer's calls take turns under its own lock (recursive, as a Windows critical
// section is: an error box shown under it runs a message loop). A command lends the slot
// its buffers, reads the answer and opens or closes the slot's sockets under it, so calls
// on one printer from several threads never use one another's buffers or sockets, while
// other printers go on: a printer that is switched off holds up only its own callers.
// Taken before exchangeLock(), never the other way round.
platform::CriticalSection& printerLock(uint8_t index);
// The lock of the slot `slot` points at; a record outside the table shares one lock.
platform::CriticalSection& printerLock(const PrinterSlot* slot);
// The auxiliary channel's socket-creation lock: held while that channel creates and
// connects a socket, on any slot.
platform::CriticalSection& slotLock();
// Held by one exchange, on any slot, from its socket check to its answer check: the
// printer sees one request at a time from this host.
platform::CriticalSection& exchangeLock();

inline bool isValidSlotIndex(unsigned index) {
  return index < kSlotCount;
}

// Slot index for a host printer number 1..8; numbers outside that range map to slot 0,
// which is what the opening and printing entries do.
inline uint8_t slotFromPrinterNo(uint8_t printerNo) {
  uint8_t index = static_cast<uint8_t>(printerNo - 1);
  return index > 7 ? 0 : index;
}

}  // namespace nypr
