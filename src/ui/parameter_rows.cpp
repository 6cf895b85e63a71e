// Parameter rows shared by the maintenance and high-level parameter dialogs.
#include "ui/parameter_rows.h"

#include <algorithm>

#include "core/host_api.h"
#include "core/slots.h"
#include "platform/ui.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"

namespace nypr {

void showParamRow(NyHwnd dialog, uint8_t index, const ParamRow& row) {
  platform::setDlgItemInt(dialog, row.controlId, settingsFieldInt(index, row.field), true);
}

bool checkParamRange(NyHwnd dialog, int controlId, uint32_t nameId, int minimum, int maximum,
                     int* value) {
  // The host reads the control as the printer's 16-bit number; a longer number saturates
  // and so stays outside every range.
  const int number = GetDlgItemIntFnSW(dialog, controlId, 1);
  if (value != nullptr) *value = number;
  if (number >= minimum && number <= maximum) return true;
  ShowParamRangeErrorFnV(nameId, minimum, maximum);
  platform::setFocus(platform::getDlgItem(dialog, controlId));
  return false;
}

bool storeParamRow(NyHwnd dialog, uint8_t index, const ParamRow& row) {
  int value = 0;
  if (!checkParamRange(dialog, row.controlId, row.nameId, row.minimum, row.maximum, &value)) {
    return false;
  }
  setSettingsFieldInt(index, row.field, value);
  return true;
}

bool storeParamRows(NyHwnd dialog, uint8_t index, std::span<const ParamRow> rows) {
  for (const ParamRow& row : rows) {
    if (!storeParamRow(dialog, index, row)) return false;
  }
  return true;
}

int checkedRadioIndex(NyHwnd dialog, int first, int last) {
  for (int id = first; id <= last; ++id) {
    if (platform::isDlgButtonChecked(dialog, id) == 1) return id - first;
  }
  return -1;
}

void enableControls(NyHwnd dialog, std::span<const int> ids, bool enable) {
  for (int id : ids) platform::enableDlgItem(dialog, id, enable);
}

void writePosAdjustToLabel(uint8_t index, LabelFormatST* labelFormat) {
  if (labelFormat == nullptr || !isValidSlotIndex(index)) return;
  const PrinterSlot& slot = stKtRSE[index];
  if (slot.PosAdjModeI == 0) return;
  // The label's byte holds -24..24 dots biased by 128; a stored value beyond that range
  // goes to the label as the nearest one the printer takes.
  constexpr int kLimit = 24;
  labelFormat->PosAdjXUB = static_cast<uint8_t>(std::clamp(slot.PosAdjXI, -kLimit, kLimit) + 128);
  labelFormat->PosAdjYUB = static_cast<uint8_t>(std::clamp(slot.PosAdjYI, -kLimit, kLimit) + 128);
}

}  // namespace nypr
