// Asking the printer for its state (STS), checking it is this model, keeping the status
// summary in the slot, and writing the status line and auto-connect flag to the INI file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/slots.h"

namespace nypr {

// Characters of the status block every caller receives.
inline constexpr int kStatusBlockLen = 53;

// Block positions read by the driver.
inline constexpr int kStatusControllerVersion = 8;
inline constexpr int kStatusProgramVersion = 14;
inline constexpr int kStatusHeadRank = 32;
inline constexpr int kStatusFailureFlag = 42;
inline constexpr int kStatusPaperStop = 45;

// Set by the setup dialog; written as "KT%02d_AUTOCONNECT" on every query.
extern volatile int g_AutoConnectFlag;

// Queries printer `index` (0..7) and fills `block` (53 characters; the rest of a short
// answer is NUL). True when a valid status of this model arrived; on false dwLastError
// says why (exchange errors, 60310 status unavailable, 60678 another model).
bool GetPrinterStatusFnBL(uint8_t index, char* block);

// Number in `text` of `width` characters: leading spaces skipped (a NUL ends the field),
// 0 when nothing else is left, otherwise a signed decimal read within the field.
int ParseNumFieldFnI(const char* text, int width);

// Closes the slot's command and finish sockets when open.
void CloseSlotSocketsFnV(uint8_t index);

// The status summary of a block: every field read with ParseNumFieldFnI, negative
// values not stored, ValidUL set.
void parseStatusSummary(const char* block, PrnStatus& summary);

// The status line of a status block and an LRS answer payload (32 bytes, zero-filled when
// the distance query failed), CP932, at most 100 characters.
std::string buildStatusLine(const char* block, const char* distanceAnswer);

}  // namespace nypr
