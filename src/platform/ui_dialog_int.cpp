// A number written into a control as SetDlgItemInt writes it, the same on every platform;
// the dialog backends only set the text.
#include <cstdio>

#include "platform/ui.h"

namespace nypr::platform {

bool setDlgItemInt(NyHwnd dialog, int id, int32_t value, bool isSigned) {
  char buf[16];
  if (isSigned) {
    std::snprintf(buf, sizeof buf, "%d", value);
  } else {
    std::snprintf(buf, sizeof buf, "%u", static_cast<uint32_t>(value));
  }
  return setDlgItemText(dialog, id, buf);
}

}  // namespace nypr::platform
