// Parameter rows of the maintenance dialogs: an edit control bound to one field of the
// printer's parameter record, with the range the printer accepts for it.
#pragma once

#include <cstdint>
#include <span>

#include "nyprkt3600r/host_records.h"
#include "nyprkt3600r/platform_types.h"

namespace nypr {

struct ParamRow {
  int controlId;
  uint32_t nameId;  // module string naming the parameter in the range message
  int minimum;
  int maximum;
  int field;  // field number of the parameter record
};

// Shows the field's number in the row's control ("-5" for a field holding "-05").
void showParamRow(NyHwnd dialog, uint8_t index, const ParamRow& row);
// Reads the control as a signed 16-bit number. Inside the range it is written into the
// field and true is returned; outside, the range message names the parameter, the focus
// goes to the control and the field is left as it was.
bool storeParamRow(NyHwnd dialog, uint8_t index, const ParamRow& row);
// Stores the rows in order and stops at the first one out of range (false); the rows
// before it stay stored.
bool storeParamRows(NyHwnd dialog, uint8_t index, std::span<const ParamRow> rows);
// Checks a control's number against a range without storing it (the same message and
// focus as storeParamRow on failure); the number read goes to *value when given.
bool checkParamRange(NyHwnd dialog, int controlId, uint32_t nameId, int minimum, int maximum,
                     int* value = nullptr);

// The first ticked button of first..last as its offset from first, or -1 when none is.
int checkedRadioIndex(NyHwnd dialog, int first, int last);
// Enables or disables every control of `ids`.
void enableControls(NyHwnd dialog, std::span<const int> ids, bool enable);

// Writes the slot's print-position adjustment into the host's label format (bytes 964
// and 965, biased by 128; a value beyond -24..24 as the nearest of them) when the slot's
// adjustment method is not 0; a null format is left alone. The setup and maintenance
// dialogs both write it through this.
void writePosAdjustToLabel(uint8_t index, LabelFormatST* labelFormat);

}  // namespace nypr
