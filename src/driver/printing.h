// Printing a label, following it to its end, stopping, feeding and cutting: the module
// side of the exported print functions (the exports are thin shims over these).
#pragma once

#include <cstdint>

#include "core/slots.h"
#include "nyprkt3600r/host_records.h"
#include "nyprkt3600r/platform_types.h"
#include "platform/socket_handle.h"

namespace nypr {

// INI key that tells the host a job was sent and has not been seen to its end.
inline constexpr char kBackPrintingSection[] = "BackPrinting";
inline constexpr char kPrintingStatusKey[] = "Printting_Status";
// Sets "Printting_Status" ("1" sent, "0" seen to its end). Every INI write replaces the
// file and flushes it to disk, which costs milliseconds per label, so a value the file
// already holds is not written again.
void setPrintingStatus(const char* value);

// Throws away what an earlier job left waiting on the finish connection, so the next
// report read belongs to the new job. A peer that keeps sending is not followed forever:
// at most kDrainLimit bytes are dropped. Returns the bytes dropped.
inline constexpr int kDrainLimit = 64 * 1024;
int drainFinishConnection(platform::SocketHandle s);
// Forgets the head of a finish report kept from an earlier read: a new job's reports
// never complete an old one's.
void forgetFinishReportHead(uint8_t index);

// Results of isPrintFinished.
inline constexpr int kFinished = 1;
inline constexpr int kIssuing = 0;
inline constexpr int kBusy = 2;
inline constexpr int kFinishFailed = -1;
inline constexpr int kLabelAtPeeler = -2;
inline constexpr int kStoppedByPrinter = -3;
inline constexpr int kPrinterError998 = -4;

// Printer numbers are the host's 1..8 (others use the first printer) unless noted.
int16_t printOneLabel(uint8_t printerNo, int32_t copies, NyHbitmap label, PrintJobST* job,
                      uint32_t* confirm);
int32_t isPrintFinished(uint8_t printerNo, uint16_t* remaining, int32_t mode, uint32_t logValue);
// Printer number 1..8 only.
int32_t waitPrintFinished(uint8_t printerNo, int32_t mode);
// `slot` is one of stKtRSE or null (the dialog can then only be closed).
int32_t waitJobEnd(PrinterSlot* slot, NyHwnd owner);
int32_t stopPrint(uint8_t printerNo);
// Slot index 0..7 only.
int32_t isPrintReady(uint8_t slotIndex, uint16_t operation);
int32_t feedLabel(uint8_t printerNo, PrintJobST* job);
// Slot index 0..7 only.
int32_t sendPrintAutoCut(uint8_t slotIndex);

}  // namespace nypr
