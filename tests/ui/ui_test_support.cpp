#include "ui_test_support.h"

#include "platform/clock.h"

namespace nypr::testing {
namespace {
RecordingProc* g_active = nullptr;
}  // namespace

RecordingProc::RecordingProc(Handler handler) : handler_(std::move(handler)), previous_(g_active) {
  g_active = this;
}

RecordingProc::~RecordingProc() {
  g_active = previous_;
}

intptr_t NYPR_STDCALL RecordingProc::proc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                          intptr_t) {
  RecordingProc* self = g_active;
  if (self == nullptr) return 0;
  ReceivedMessage m{message, 0};
  if (message == platform::kMsgCommand) {
    m.id = platform::commandId(wParam);
  } else if (message == platform::kMsgTimer) {
    m.id = static_cast<int>(wParam);
    self->timerTicks.push_back(platform::tickCount());
  }
  self->messages.push_back(m);
  return self->handler_ ? self->handler_(dialog, m) : 0;
}

}  // namespace nypr::testing
