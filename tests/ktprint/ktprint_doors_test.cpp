// What a user hands ktprint (pictures, sizes, option values, paths) is checked before it
// costs memory or time or reaches the printer. ktprint runs under an address-space and
// CPU-time limit (the runner's), so an unbounded allocation or resize fails its row
// instead of the machine.
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "ktprint_runner.h"
#include "test_data.h"

namespace nypr::test {
namespace {

class KtprintDoorsTest : public SimulatorTest {
 protected:
  // A field of a table row with its places filled in.
  std::string filled(std::string text) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"@INI@", iniPath_},
                                     {"@DIR@", dir_.string()},
                                     {"@DATA@", testing::testDataPath("ktprint")}}) {
      for (size_t at; (at = text.find(key)) != std::string::npos;)
        text.replace(at, key.size(), value);
    }
    return text;
  }
  std::vector<std::string> arguments(const std::string& field) {
    std::istringstream words(filled(field));
    std::vector<std::string> args;
    for (std::string word; words >> word;) args.push_back(word);
    return args;
  }
};

TEST_F(KtprintDoorsTest, EveryBadInputIsRefusedWithinBoundsAndNothingIsPrinted) {
  for (const char* name : {"picture.fifo", "ini.fifo"}) {
    ASSERT_EQ(::mkfifo((dir_ / name).c_str(), 0600), 0);
  }
  std::ofstream(dir_ / "big.ini") << std::string((1 << 20) + 1, '\n');
  for (const auto& row : testing::readTestTable("ktprint/refused.txt")) {
    ASSERT_EQ(row.size(), 4u);
    SCOPED_TRACE(row[0]);
    auto r = runKtprint(filled(row[1]), arguments(row[2]));
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_NE(r.err.find(row[3]), std::string::npos) << r.err;
  }
  EXPECT_TRUE(sim_.connections().empty());  // refused before the printer is opened
  struct stat device {};
  ASSERT_EQ(::stat("/dev/null", &device), 0);
  EXPECT_TRUE(S_ISCHR(device.st_mode));
}

TEST_F(KtprintDoorsTest, LabelKindsAtTheirLimitsStillPrint) {
  const std::string preview = (dir_ / "preview.png").string();
  for (const auto& row : testing::readTestTable("ktprint/accepted.txt")) {
    ASSERT_EQ(row.size(), 3u);
    SCOPED_TRACE(row[0]);
    std::vector<std::string> args = arguments(row[1]);
    args.insert(args.end(), {"--preview", preview});
    auto r = runKtprint(iniPath_, args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(row[2]), std::string::npos) << r.out;
  }
}

// A label left at the peeler holds only the next auto-peel job: an ordinary job prints,
// and the next auto-peel job is told to take the label.
TEST_F(KtprintDoorsTest, ALabelAtThePeelerHoldsOnlyAutoPeelJobs) {
  const std::string picture = testing::testDataPath("ktprint/small.pgm");
  auto peel = runKtprint(iniPath_, {"print", picture, "--peel"});
  ASSERT_EQ(peel.exitCode, 0) << peel.err;
  ASSERT_TRUE(sim_.waitForLabelAtPeeler(ktsim::Millis(5000)));
  auto ordinary = runKtprint(iniPath_, {"print", picture});
  EXPECT_EQ(ordinary.exitCode, 0) << ordinary.err;
  EXPECT_TRUE(sim_.waitForLabels(2, ktsim::Millis(5000)));
  auto next = runKtprint(iniPath_, {"print", picture, "--peel"});
  EXPECT_EQ(next.exitCode, 1);
  EXPECT_NE(next.err.find("A label is left at the peeler. Take the label."), std::string::npos)
      << next.err;
  EXPECT_EQ(sim_.labels().size(), 2u);
}

}  // namespace
}  // namespace nypr::test
