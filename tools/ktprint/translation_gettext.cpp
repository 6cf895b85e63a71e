// The translation seam over GNU gettext.
#include <libintl.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "translation.h"

namespace ktprint {
namespace {

constexpr const char* kDomain = "ktprint";
// A catalogue translates this to "driver" for a language whose texts the driver speaks.
constexpr const char* kDriverLanguageKey = "driver messages\004english";

namespace fs = std::filesystem;

bool holdsCatalogues(const fs::path& dir) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (fs::exists(entry.path() / "LC_MESSAGES" / "ktprint.mo", ec)) return true;
  }
  return false;
}

std::string findLocaleDir(const char* argv0) {
  if (const char* dir = std::getenv("KTPRINT_LOCALEDIR"); dir != nullptr && *dir != '\0') {
    return dir;
  }
  std::vector<fs::path> programs;
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) programs.push_back(self);
  if (argv0 != nullptr && std::string(argv0).find('/') != std::string::npos) {
    programs.push_back(fs::absolute(argv0, ec));
  }
  for (const fs::path& program : programs) {
    fs::path bin = program.parent_path();
    // Installed: <prefix>/bin/ktprint and <prefix>/share/locale; built: beside it.
    for (const fs::path& dir : {bin.parent_path() / "share" / "locale", bin / "locale"}) {
      if (holdsCatalogues(dir)) return dir.string();
    }
  }
  return KTPRINT_INSTALL_LOCALEDIR;
}

}  // namespace

void setUpTranslation(const char* argv0) {
  static std::string dir = findLocaleDir(argv0);
  bindtextdomain(kDomain, dir.c_str());
}

const char* tr(const char* english) {
  return dgettext(kDomain, english);
}

bool driverSpeaksUsersLanguage() {
  return std::string(dgettext(kDomain, kDriverLanguageKey)) == "driver";
}

}  // namespace ktprint
