#include "driver_status.h"

#include <cups/backend.h>

#include "driver_reasons.h"

namespace nypr::cups {

const char* allBackendReasons() {
  return "cover-open-error,marker-supply-empty-error,media-empty-error,media-needed-error,"
         "media-jam-error,door-open-error,output-area-full-error,output-area-full-report,"
         "offline-report,other-error";
}

std::string backendReason(uint32_t code) {
  const host::DriverResult result = host::driverResult(code);
  return std::string(host::reasonKeyword(result.reason)) + (result.report ? "-report" : "-error");
}

int backendStatus(uint32_t code) {
  switch (host::driverResult(code).outcome) {
    case host::JobOutcome::Retry:
      return CUPS_BACKEND_RETRY;
    case host::JobOutcome::StopQueue:
      return CUPS_BACKEND_STOP;
    case host::JobOutcome::Cancel:
      return CUPS_BACKEND_CANCEL;
    case host::JobOutcome::Hold:
      break;
  }
  return CUPS_BACKEND_FAILED;
}

}  // namespace nypr::cups
