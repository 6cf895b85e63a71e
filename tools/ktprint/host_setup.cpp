#include "host_setup.h"

#include <cstdio>
#include <iostream>
#include <mutex>

#include "console.h"
#include "driver_messages.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "terminal_text.h"
#include "translation.h"

namespace ktprint {
namespace {

std::mutex g_shownMutex;
std::string g_shown;  // the last driver error message already on standard error
int g_printer = 1;

void show(const std::string& message) {
  std::lock_guard lock(g_shownMutex);
  std::cerr << "ktprint: " << message << "\n";
  g_shown = message;
}

int printMessageBox(void* /*user*/, NyHwnd /*owner*/, const char* text, const char* caption,
                    uint32_t /*style*/) {
  std::string box = text ? text : "";
  // The driver's error box for the printer's error: shown in the user's language, once.
  char current[1024] = {};
  uint32_t code = NyPrGetPrintError(static_cast<uint8_t>(g_printer), current, sizeof current);
  if (code != 0 && box == current) {
    show(driverMessage(code, box));
    return 1;
  }
  std::cerr << toTerminal(caption ? caption : "") << ": " << toTerminal(box) << "\n";
  return 1;
}

}  // namespace

void setUpHost(const GlobalOptions& options) {
  const std::string ini = options.iniPath.empty() ? defaultIniPath() : options.iniPath;
  if (!ini.empty()) nyhostSetIniPath(ini.c_str());
  g_printer = options.printer;
  nyhostSetMessageBoxHandler(&printMessageBox, nullptr);
}

std::string driverErrorText(int printer) {
  char text[1024] = {};
  uint32_t code = NyPrGetPrintError(static_cast<uint8_t>(printer), text, sizeof text);
  std::string message = driverMessage(code, text);
  if (message.empty() && code != 0) {
    char fallback[64];
    std::snprintf(fallback, sizeof fallback, tr("printer error %u"), code);
    message = fallback;
  }
  return message;
}

void reportFailure(int printer, const char* what) {
  std::string message = driverErrorText(printer);
  std::lock_guard lock(g_shownMutex);
  if (message.empty() || message == g_shown) {
    std::cerr << "ktprint: " << what << "\n";
  } else {
    std::cerr << "ktprint: " << what << ": " << message << "\n";
  }
  g_shown.clear();
}

}  // namespace ktprint
