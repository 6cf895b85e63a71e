// kt3600r-printer-app: an IPP Everywhere printer application in front of up to eight
// KT3600R printers, on papplMainloop (sub-commands server, add, delete, devices, drivers,
// printers, status, submit, shutdown). One more host of the module's exports.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app.h"
#include "driver_text.h"
#include "nyhost/nyhost_control.h"

namespace nypr::app {

App& app() {
  static App* instance = new App;  // outlives the status queries still running at exit
  return *instance;
}

namespace {

bool g_server = false;  // running the server sub-command

// The state directory: -o state-directory=DIR, else /var/lib/kt3600r-printer-app for
// root and $XDG_STATE_HOME (~/.local/state)/kt3600r-printer-app for others.
std::string stateDirectory(int numOptions, cups_option_t* options) {
  if (const char* dir = cupsGetOption("state-directory", numOptions, options)) return dir;
  if (getuid() == 0) return "/var/lib/kt3600r-printer-app";
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg) {
    return std::string(xdg) + "/kt3600r-printer-app";
  }
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "/tmp") + "/.local/state/kt3600r-printer-app";
}

bool makeDirectories(const std::string& path) {
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    const std::string part = path.substr(0, pos);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// The driver's message boxes: the status timer and the jobs log what they mean once;
// the boxes themselves (one per failed status query) only at debug level.
int messageBox(void*, NyHwnd, const char* text, const char* caption, uint32_t) {
  if (app().system) {
    papplLog(app().system, PAPPL_LOGLEVEL_DEBUG, "%s: %s",
             host::utf8Line(caption ? caption : "").c_str(),
             host::utf8Line(text ? text : "").c_str());
  }
  return 1;
}

const char* autoAdd(const char*, const char*, const char* deviceId, void*) {
  return deviceId && std::strstr(deviceId, "MDL:KT3600R;") ? "kt3600r" : nullptr;
}

pappl_pr_driver_t g_drivers[] = {{"kt3600r", "KT3600R", "MFG:NYPR;MDL:KT3600R;", nullptr}};

pappl_system_t* systemCallback(int numOptions, cups_option_t* options, void*) {
  const std::string state = stateDirectory(numOptions, options);
  if (!makeDirectories(state + "/spool")) {
    std::fprintf(stderr, "kt3600r-printer-app: cannot create %s: %s\n", state.c_str(),
                 std::strerror(errno));
    return nullptr;
  }
  // The module reads each printer's settings from this host INI file.
  nyhostSetIniPath((state + "/host.ini").c_str());
  nyhostSetModuleDir(state.c_str());
  nyhostSetMessageBoxHandler(&messageBox, nullptr);

  int port = 0;
  if (const char* value = cupsGetOption("server-port", numOptions, options)) {
    char* end = nullptr;
    const long v = std::strtol(value, &end, 10);
    if (*value == '\0' || *end != '\0' || v < 0 || v > 65535) {
      std::fprintf(stderr, "kt3600r-printer-app: bad server-port '%s'\n", value);
      return nullptr;
    }
    port = static_cast<int>(v);
  }
  const char* logFile = cupsGetOption("log-file", numOptions, options);
  const char* levelName = cupsGetOption("log-level", numOptions, options);
  pappl_loglevel_t level = PAPPL_LOGLEVEL_INFO;
  if (levelName && !std::strcmp(levelName, "debug")) level = PAPPL_LOGLEVEL_DEBUG;
  if (levelName && !std::strcmp(levelName, "warn")) level = PAPPL_LOGLEVEL_WARN;
  if (levelName && !std::strcmp(levelName, "error")) level = PAPPL_LOGLEVEL_ERROR;
  const char* authService = cupsGetOption("auth-service", numOptions, options);

  // Loopback only unless told otherwise, and then only where told. On loopback alone TLS
  // protects nothing and PAPPL would announce ipps URIs it does not serve there.
  const char* listenOption = cupsGetOption("listen-hostname", numOptions, options);
  const std::string listen = listenOption ? listenOption : "localhost";
  const bool loopbackOnly =
      listen == "localhost" || listen.rfind("127.", 0) == 0 || listen == "::1";
  pappl_soptions_t systemOptions = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE |
                                   PAPPL_SOPTIONS_WEB_LOG | PAPPL_SOPTIONS_WEB_SECURITY;
  if (loopbackOnly) systemOptions |= PAPPL_SOPTIONS_NO_TLS;
  pappl_system_t* system = papplSystemCreate(systemOptions, "KT3600R Printer Application", port,
                                             "_print,_universal", (state + "/spool").c_str(),
                                             logFile ? logFile : (g_server ? "-" : "/dev/null"),
                                             level, authService, false);
  if (!system) return nullptr;
  app().system = system;
  // PAPPL 1.3 deadlocks when it rotates its log (it logs while holding the log's lock):
  // the log grows unrotated; standard error goes to the journal anyway.
  papplSystemSetMaxLogSize(system, 0);
  papplSystemSetPrinterDrivers(system, 1, g_drivers, autoAdd, createCallback, driverCallback,
                               nullptr);
  papplSystemSetFooterHTML(system, "KT3600R Printer Application");
  if (!g_server) return system;

  if (!papplSystemAddListeners(system, listen.c_str())) {
    std::fprintf(stderr, "kt3600r-printer-app: cannot listen on %s port %d\n", listen.c_str(),
                 port);
    papplSystemDelete(system);
    return nullptr;
  }
  static std::string stateFile = state + "/kt3600r-printer-app.state";
  papplSystemLoadState(system, stateFile.c_str());
  papplSystemSetSaveCallback(
      system,
      [](pappl_system_t* s, void* file) {
        return papplSystemSaveState(s, static_cast<const char*>(file));
      },
      const_cast<char*>(stateFile.c_str()));
  int interval = 2;
  if (const char* value = cupsGetOption("status-interval", numOptions, options)) {
    interval = std::atoi(value);
    if (interval < 1 || interval > 3600) interval = 2;
  }
  papplSystemAddTimerCallback(system, 0, interval, statusTimer, nullptr);
  papplSystemAddResourceCallback(system, "/metrics", "text/plain", metricsResource, nullptr);
  return system;
}

}  // namespace
}  // namespace nypr::app

int main(int argc, char* argv[]) {
  nypr::app::g_server = argc > 1 && std::strcmp(argv[1], "server") == 0;
  nypr::app::addDeviceScheme();
  const int status = papplMainloop(argc, argv, NYPR_APP_VERSION, nullptr, 1, nypr::app::g_drivers,
                                   nypr::app::autoAdd, nypr::app::driverCallback, nullptr, nullptr,
                                   nypr::app::systemCallback, nullptr, nullptr);
  nypr::app::waitForStatusQueries();
  return status;
}
