// Helpers for dialog runtime tests: a recording dialog procedure and a dialog to work in.
// Their clock is the shared FakeClock (tests/support).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace nypr::testing {

// What a dialog procedure received, in order.
struct ReceivedMessage {
  uint32_t message;
  int id;  // command or timer id
};

// A dialog procedure that records every message and hands it to `handler` (if set).
// One recorder is active at a time (the procedure has no user pointer).
class RecordingProc {
 public:
  using Handler = std::function<intptr_t(NyHwnd, const ReceivedMessage&)>;
  explicit RecordingProc(Handler handler = {});
  ~RecordingProc();

  static intptr_t NYPR_STDCALL proc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);

  std::vector<ReceivedMessage> messages;
  std::vector<uint32_t> timerTicks;  // clock tick at each timer message

 private:
  Handler handler_;
  RecordingProc* previous_;
};

// Runs `body(dialog)` inside the initialisation of a dialog of `name`, then closes it.
template <typename F>
void insideDialog(const char* name, F body) {
  static F* current;
  current = &body;
  platform::dialogBoxParam(
      name, nullptr,
      [](NyHwnd dlg, uint32_t msg, uintptr_t, intptr_t) NYPR_STDCALL -> intptr_t {
        if (msg == platform::kMsgInitDialog) {
          (*current)(dlg);
          platform::endDialog(dlg, 0);
        }
        return 0;
      },
      0);
}

}  // namespace nypr::testing
