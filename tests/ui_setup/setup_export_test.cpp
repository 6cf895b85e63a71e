// The setup export as a host reaches it in the shared module, with nobody operating the
// dialog (as in a host without a screen).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"

namespace {

class SetupExports : public ::testing::Test {
 protected:
  void SetUp() override {
    ini_ = std::filesystem::temp_directory_path() /
           ("nypr_setup_exports_" + std::to_string(std::random_device{}()) + ".ini");
    std::ofstream(ini_) << "[KT3600R Info]\nKT00=0A000001\n";
    nyhostReset();
    nyhostSetIniPath(ini_.string().c_str());
  }
  void TearDown() override {
    nyhostReset();
    std::filesystem::remove(ini_);
  }
  std::string iniText() {
    std::ifstream in(ini_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path ini_;
};

TEST_F(SetupExports, SetupReturnsOneWhenNobodyOperatesTheDialog) {
  LabelFormatST label{};
  PrintJobST job{};
  job.lpLabelFormat = &label;
  const std::string before = iniText();
  for (uint8_t printerNo : {uint8_t{1}, uint8_t{0}, uint8_t{8}, uint8_t{9}}) {
    EXPECT_EQ(NyPrPrinterSetup(nullptr, printerNo, &job, 0, "ignored"), 1) << int(printerNo);
  }
  EXPECT_EQ(NyPrPrinterSetup(nullptr, 1, nullptr), 1);
  // Cancelled: nothing stored, and no message for the user.
  EXPECT_EQ(iniText(), before);
  EXPECT_EQ(nyhostMessageBoxCount(), 0);
}

}  // namespace
