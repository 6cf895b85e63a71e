// A host INI file of its own in a fresh temporary directory for each test, with the
// printer slots and parameter records back at their load-time zero state.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace nypr::testing {

class IniFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Replaces the whole INI file with `content`.
  void writeIni(const std::string& content);
  // The INI file as it is on disk ("" when missing).
  std::string iniText() const;
  // Value of `key` in `section` read straight from the file (names compared without
  // case, blanks around "=" ignored); "<missing>" when absent.
  std::string rawValue(const std::string& section, const std::string& key) const;

  std::filesystem::path dir_;
  std::filesystem::path ini_;
};

}  // namespace nypr::testing
