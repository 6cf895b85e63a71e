// Help of the printer's dialogs.
#include "ui/help_opener.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/host_api.h"
#include "platform/file_system.h"
#include "platform/help.h"
#include "platform/profile.h"
#include "settings/printer_settings.h"
#include "ui/dialog_procs.h"

namespace nypr {
namespace {

constexpr int kDirectorySize = 260;
constexpr size_t kHelpPathSize = 256;

enum class HostProduct { FormDesigner, BatchPrinter, Other };

// Windows file names ignore case, and so does the choice of the host's help.
bool sameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

HostProduct hostProduct() {
  const std::string name = platform::hostProgramName();
  if (sameName(name, "NyFmt")) return HostProduct::FormDesigner;
  if (sameName(name, "NyBpr")) return HostProduct::BatchPrinter;
  return HostProduct::Other;
}

std::string hostDirectory() {
  char dir[kDirectorySize] = {};
  GetModuleDirectory(dir, sizeof dir);
  dir[sizeof dir - 1] = '\0';
  return dir;
}

}  // namespace

std::string HostHelpTargetFnS(const HostHelpTopics& topics) {
  const char* file = "NYPRT.chm";
  const char* topic = topics.prtTopic;
  switch (hostProduct()) {
    case HostProduct::FormDesigner:
      file = "NYFMT.chm";
      topic = topics.fmtTopic;
      break;
    case HostProduct::BatchPrinter:
      file = "NYBPR.chm";
      topic = topics.bprTopic;
      break;
    case HostProduct::Other:
      break;
  }
  return platform::joinPath(hostDirectory(), file) + (topic != nullptr ? topic : "");
}

void OpenHelpTopicFnV(NyHwnd dialog, const char* topic) {
  if (topic == nullptr || *topic == '\0') return;
  platform::showHtmlHelp(dialog, topic);
}

std::string HelpPathFileFnS() {
  const char* key = "PrtHelp";
  switch (hostProduct()) {
    case HostProduct::FormDesigner:
      key = "FmtHelp";
      break;
    case HostProduct::BatchPrinter:
      key = "BprHelp";
      break;
    case HostProduct::Other:
      break;
  }
  char value[kHelpPathSize] = {};
  platform::profileReadString(hostIniPath(), "Help Path", key, "", value, sizeof value);
  const std::string file(value);
  if (file.empty()) return {};
  // A bare file name lives beside the host program.
  if (file.find('\\') != std::string::npos ||
      file.find(platform::kPathSeparator) != std::string::npos) {
    return file;
  }
  return platform::joinPath(hostDirectory(), file);
}

bool OpenContextHelpFnBL(NyHwnd dialog, uint32_t context) {
  const std::string file = HelpPathFileFnS();
  if (file.empty()) return false;
  return platform::showContextHelp(dialog, file, context);
}

}  // namespace nypr
