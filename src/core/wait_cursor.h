// The host's hourglass for as long as a printer exchange takes.
#pragma once

#include "core/host_api.h"

namespace nypr {

class WaitCursor {
 public:
  WaitCursor() { SetWaitCursorFnV(1); }
  ~WaitCursor() { SetWaitCursorFnV(0); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace nypr
