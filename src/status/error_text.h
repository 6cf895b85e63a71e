// Driver error codes, their message texts and the error box.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/slots.h"
#include "nyprkt3600r/platform_types.h"

namespace nypr {

// Driver error codes raised by the driver (the code is its own message id).
enum DriverError : uint32_t {
  kErrReceiveTimeout = 60122,
  kErrAutoCutLabelSize = 60208,
  kErrNarrowLabel = 60209,
  kErrWrongParameter = 60301,
  kErrWrongAnswer = 60302,
  kErrLabelTransfer = 60303,
  kErrCannotStop = 60304,
  kErrLedTest = 60305,
  kErrBuzzerTest = 60306,
  kErrCardTest = 60307,
  kErrProgramData = 60308,
  kErrStatus = 60310,
  kErrGapMark = 60311,
  kErrHeadDistance = 60312,
  kErrNoWorkArea = 60313,
  kErrBitmapRead = 60314,
  kErrTakeLabel = 60315,
  kErrTestPrint = 60320,
  kErrNoAddress = 60400,
  kErrSocket = 60401,
  kErrSocketConnect = 60402,
  kErrSocketSend = 60403,
  kErrSocketReceive = 60404,
  kErrUpdateController = 60405,
  kErrMotorTestStart = 60407,
  kErrMotorTest = 60408,
  kErrMotorTestEnd = 60409,
  kErrOldLabeler = 60413,
  kErrCutPosition = 60417,
  kErrHeadCheck = 60418,
  kErrHeadLift = 60419,
  kErrAutoCut = 60420,
  kErrRs232cResult = 60421,
  kErrRs232cTest = 60422,
  kErrRotarySwitch = 60423,
  kErrOtherKind = 60425,
  kErrOtherModelWarning = 60677,
  kErrWrongModel = 60678,
  kErrPrinterStopped = 60999,
};

// Host message ids the driver raises (their texts are the host's).
enum HostMessage : uint32_t {
  kHostLabelTooWide = 40019,
  kHostNoStatus = 40070,
  kHostHeadOpen = 40079,
  kHostLabelOnPeeler = 40365,
};

// Message of the slot's dwLastError (with its "No." appendix), CP932, cut to `size` at a
// character boundary and terminated. An index out of range, and the codes 300 (no error)
// and 0 (cleared), give an empty text.
void GetErrorTextFnV(uint8_t index, char* text, size_t size);
// The auxiliary channel's variant: printer numbers 1..96 only, texts through the host's
// language loader.
void SE_GetErrorTextFnV(const PrinterSlot* slot, char* text, size_t size);

// Shows the slot's error (nothing for 300 or 0); returns the box result.
int ShowPrinterErrorFnI(NyHwnd owner, uint8_t index);
int SE_ShowErrorFnI(NyHwnd owner, const PrinterSlot* slot);
// "Parameter <name> takes <min>..<max>" for a dialog field.
void ShowParamRangeErrorFnV(uint32_t nameId, int minimum, int maximum);

}  // namespace nypr
