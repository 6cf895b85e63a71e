// Helpers for dialog runtime tests: a recording dialog procedure and a virtual clock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/ui.h"

namespace nypr::testing {

// What a dialog procedure received, in order.
struct ReceivedMessage {
  uint32_t message;
  int id;    // command id, timer id or notifying control id
  int code;  // command or notification code
  intptr_t param;
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
  NyHwnd lastDialog = nullptr;

 private:
  Handler handler_;
  RecordingProc* previous_;
};

// Sleeping only advances the tick.
class VirtualClock {
 public:
  VirtualClock();
  ~VirtualClock();
  uint32_t now() const { return now_; }
  void advance(uint32_t ms) { now_ += ms; }

 private:
  static uint32_t tick(void* user) { return static_cast<VirtualClock*>(user)->now_; }
  static void sleep(void* user, uint32_t ms) { static_cast<VirtualClock*>(user)->now_ += ms; }
  platform::ClockHooks hooks_{};
  uint32_t now_ = 5000;
};

}  // namespace nypr::testing
