// Help on POSIX: no help viewer exists, so requests are logged and kept for tests.
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <mutex>
#include <string>

#include "core/host_api.h"
#include "platform/help.h"

namespace nypr::platform {
namespace {

std::mutex g_helpMutex;
int g_requestCount = 0;
HelpRequest g_lastRequest;
std::string g_programNameOverride;

void record(const HelpRequest& request) {
  std::lock_guard lock(g_helpMutex);
  ++g_requestCount;
  g_lastRequest = request;
}

}  // namespace

std::string hostProgramName() {
  {
    std::lock_guard lock(g_helpMutex);
    if (!g_programNameOverride.empty()) return g_programNameOverride;
  }
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  path[n] = '\0';
  return std::filesystem::path(path).stem().string();
}

bool showHtmlHelp(NyHwnd window, const std::string& fileAndTopic) {
  printlog("INF", "HtmlHelp %s", fileAndTopic.c_str());
  record(HelpRequest{window, fileAndTopic, 0, true});
  return true;
}

bool showContextHelp(NyHwnd window, const std::string& file, uint32_t context) {
  printlog("INF", "WinHelp %s context %u", file.c_str(), static_cast<unsigned>(context));
  record(HelpRequest{window, file, context, false});
  return true;
}

int helpRequestCountForTesting() {
  std::lock_guard lock(g_helpMutex);
  return g_requestCount;
}

HelpRequest lastHelpRequestForTesting() {
  std::lock_guard lock(g_helpMutex);
  return g_lastRequest;
}

void setHostProgramNameForTesting(const std::string& name) {
  std::lock_guard lock(g_helpMutex);
  g_programNameOverride = name;
}

}  // namespace nypr::platform
