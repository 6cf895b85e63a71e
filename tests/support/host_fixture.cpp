#include "host_fixture.h"

#include <cstdio>
#include <random>

#include "nyhost/nyhost_control.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace nypr::test {

void HostTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir_ = std::filesystem::temp_directory_path() /
         ("nypr_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
          std::to_string(std::random_device{}()));
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
  iniPath_ = (dir_ / "host.ini").string();
  nyhostReset();
  nyhostSetIniPath(iniPath_.c_str());
  nyhostSetModuleDir(dir_.string().c_str());
  nyhostSetMessageBoxHandler(
      [](void* user, NyHwnd, const char* text, const char* caption, uint32_t style) {
        static_cast<HostTest*>(user)->messages_.push_back(
            {text ? text : "", caption ? caption : "", style});
        return 1;
      },
      this);
  nyhostSetConfirmHandler(
      [](void* user, NyHwnd, uint32_t, const char*, uint32_t) {
        auto* self = static_cast<HostTest*>(user);
        ++self->confirms_;
        return self->confirmAnswer_;
      },
      this);
}

void HostTest::TearDown() {
  nyhostReset();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

void HostTest::configurePrinter(int printerNo, uint32_t address) {
  char key[16];
  char value[16];
  std::snprintf(key, sizeof key, "KT%02d", printerNo - 1);
  std::snprintf(value, sizeof value, "%08X", address);
  writeIni("KT3600R Info", key, value);
}

void HostTest::writeIni(const std::string& section, const std::string& key,
                        const std::string& value) {
  ASSERT_TRUE(platform::profileWriteString(iniPath_, section.c_str(), key.c_str(), value.c_str()));
}

std::string HostTest::readIni(const std::string& section, const std::string& key,
                              const std::string& fallback) {
  return platform::profileReadString(iniPath_, section.c_str(), key.c_str(), fallback.c_str());
}

void SimulatorTest::SetUp() {
  HostTest::SetUp();
  sim_.start();
  configurePrinter(1, sim_.addressValue());
}

void SimulatorTest::TearDown() {
  sim_.stop();
  HostTest::TearDown();
}

std::string cp932(const std::string& utf8) {
  return platform::cp932FromUtf8(utf8);
}

}  // namespace nypr::test
