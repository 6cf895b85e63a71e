// Test fixtures: each test gets its own host INI file in a fresh directory, message boxes
// and questions captured instead of shown, and (SimulatorTest) a simulated printer that
// printer 1 is configured to use.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ktsim/simulator.h"

namespace nypr::test {

struct ShownMessage {
  std::string text;     // CP932, as the driver passed it
  std::string caption;  // CP932
  uint32_t style = 0;
};

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Stores the settings line of printer 1..8: the address alone (factory defaults).
  void configurePrinter(int printerNo, uint32_t address);
  void writeIni(const std::string& section, const std::string& key, const std::string& value);
  std::string readIni(const std::string& section, const std::string& key,
                      const std::string& fallback = "<missing>");

  std::filesystem::path dir_;
  std::string iniPath_;
  std::vector<ShownMessage> messages_;
  int confirmAnswer_ = 6;  // yes
  int confirms_ = 0;
};

class SimulatorTest : public HostTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  ktsim::Simulator sim_;
};

// UTF-8 text of the module's own messages, as CP932 for comparisons.
std::string cp932(const std::string& utf8);

}  // namespace nypr::test
