#include "host_session.h"

#include <cstdio>

#include "nyhost/nyhost_control.h"
#include "terminal_text.h"

namespace ktprint {
namespace {

int printMessageBox(void* /*user*/, NyHwnd /*owner*/, const char* text, const char* caption,
                    uint32_t /*style*/) {
  std::fprintf(stderr, "%s: %s\n", toTerminal(caption ? caption : "").c_str(),
               toTerminal(text ? text : "").c_str());
  return 1;
}

}  // namespace

void setUpHost(const GlobalOptions& options) {
  if (!options.iniPath.empty()) nyhostSetIniPath(options.iniPath.c_str());
  nyhostSetMessageBoxHandler(&printMessageBox, nullptr);
}

HostJob::HostJob() {
  job.lpLabelFormat = &labelFormat;
  job.lpPrintCond = &printCond;
  job.lpAllowFlag100 = &allowFlag100;
  job.lpAllowFlag80A = &allowFlag80A;
  job.lpAllowFlag80B = &allowFlag80B;
  job.lpFlagWord = &flagWord;
}

std::string driverErrorText(int printer) {
  char text[1024] = {};
  uint32_t code = NyPrGetPrintError(static_cast<uint8_t>(printer), text, sizeof text);
  std::string message = toTerminal(text);
  if (message.empty() && code != 0) message = "error " + std::to_string(code);
  return message;
}

}  // namespace ktprint
