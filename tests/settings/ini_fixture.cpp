#include "ini_fixture.h"

#include <nyhost/nyhost_control.h>
#include <strings.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "core/slots.h"
#include "settings/printer_settings.h"

namespace nypr::testing {
namespace {

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool sameName(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

void IniFixture::SetUp() {
  dir_ = std::filesystem::temp_directory_path() /
         ("nypr_settings_" + std::to_string(std::random_device{}()));
  ASSERT_TRUE(std::filesystem::create_directory(dir_));
  ini_ = dir_ / "host.ini";
  nyhostReset();
  nyhostSetIniPath(ini_.string().c_str());
  std::memset(stKtRSE, 0, sizeof stKtRSE);
  std::memset(PrinterSettings, 0, sizeof PrinterSettings);
}

void IniFixture::TearDown() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

void IniFixture::writeIni(const std::string& content) {
  std::ofstream(ini_, std::ios::binary | std::ios::trunc) << content;
}

std::string IniFixture::iniText() const {
  std::ifstream in(ini_, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string IniFixture::rawValue(const std::string& section, const std::string& key) const {
  std::istringstream in(iniText());
  bool inSection = false;
  for (std::string line; std::getline(in, line);) {
    const std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t.front() == '[') {
      inSection = t.back() == ']' && sameName(trim(t.substr(1, t.size() - 2)), section);
    } else if (const auto eq = t.find('=');
               inSection && eq != std::string::npos && sameName(trim(t.substr(0, eq)), key)) {
      return trim(t.substr(eq + 1));
    }
  }
  return "<missing>";
}

}  // namespace nypr::testing
