// How the backend reports a driver result to CUPS: the printer-state-reason it raises and
// the backend status that decides what becomes of the job. The reasons and outcomes are
// the Linux hosts' table (driver_reasons.h), which the README documents.
#pragma once

#include <cstdint>
#include <string>

namespace nypr::cups {

// Every reason the backend may raise, comma-separated, for clearing them at job start.
const char* allBackendReasons();

// The printer-state-reason keyword, with its -error or -report suffix, for a driver error
// code (NyPrGetPrintError).
std::string backendReason(uint32_t code);

// The backend status for a driver error code: CUPS_BACKEND_RETRY when the printer cannot
// be reached (CUPS retries the job later), CUPS_BACKEND_FAILED for a printer fault (the
// queue's error policy applies), CUPS_BACKEND_STOP when the printer cannot print this way
// at all, CUPS_BACKEND_CANCEL when the job cannot be printed or the printer stopped it.
int backendStatus(uint32_t code);

}  // namespace nypr::cups
