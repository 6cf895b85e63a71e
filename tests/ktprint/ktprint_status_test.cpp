// ktprint config and status, end to end against the simulated printer; exit codes; the
// driver's log; messages in the user's language.
#include <fstream>
#include <sstream>
#include <string>

#include "host_fixture.h"
#include "ktprint_runner.h"

namespace nypr::test {
namespace {

class KtprintTest : public SimulatorTest {};

TEST_F(KtprintTest, ConfigStoresTheAddressAndKeepsTheRestOfTheLine) {
  auto r = runKtprint(iniPath_, {"--printer", "3", "config", "--address", "192.168.0.10"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(readIni("KT3600R Info", "KT02"), "C0A8000A");
  writeIni("KT3600R Info", "KT02", "C0A8000A#1#014#rest");
  r = runKtprint(iniPath_, {"--printer", "3", "config", "--address", "10.0.0.1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(readIni("KT3600R Info", "KT02"), "0A000001#1#014#rest");
}

TEST_F(KtprintTest, StatusShowsATableOrJson) {
  sim_.setVersions(120, 110, 250, 100);
  sim_.setHeadRank(0);
  sim_.setPaperStopPosition(2);
  sim_.setTemperatures(253, -52);
  sim_.setTravel(5, 12345678, 120001112);
  auto r = runKtprint(iniPath_, {"status"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* line :
       {"controller                   1.20", "program                      2.50",
        "resistance range             1144~1183 ohm", "head temperature             +25.3 C",
        "ambient temperature          -05.2 C",
        "label travel                 012 km 345 m 678 mm"}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  }
  r = runKtprint(iniPath_, {"status", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.front(), '{');
  EXPECT_NE(r.out.find("\"resistanceRange\":\"1144～1183\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"paperStopPosition\":\"2\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"open\":false"), std::string::npos) << r.out;
}

// Usage errors end in 2 before the printer is opened.
TEST_F(KtprintTest, ExitCodesTellUsageFromPrinterFailures) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
  } cases[] = {
      {{"--help"}, 0},
      {{"print", (dir_ / "missing.png").string()}, 2},
      {{"print"}, 2},
      {{"print", iniPath_, "--rotate", "45"}, 2},
      {{"frobnicate"}, 2},
      {{"--printer", "9", "status"}, 2},
      {{"config", "--address", "192.168.0"}, 2},
      {{"config", "--address", "256.1.1.1"}, 2},
      {{"config", "--address", "1.2.3.4.5"}, 2},
      {{"config", "--address", "a.b.c.d"}, 2},
      {{"config", "--address", ""}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    EXPECT_EQ(runKtprint(iniPath_, c.args).exitCode, c.exitCode);
  }
  EXPECT_TRUE(sim_.connections().empty());
  EXPECT_NE(runKtprint(iniPath_, {"--help"}).out.find("130"), std::string::npos);
}

TEST_F(KtprintTest, DriverLogIsUtf8InAFileOrOnStandardError) {
  std::string log = (dir_ / "driver.log").string();
  auto r = runKtprint(iniPath_, {"status"}, {"NYHOST_LOG=" + log});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::ifstream in(log, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("(詳細ログ"), std::string::npos);
  r = runKtprint(iniPath_, {"status"}, {"NYHOST_LOG=-"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("(詳細ログ"), std::string::npos);
}

// ktprint's messages follow the user's locale (GNU gettext: POSIX builds; ktprint.exe
// speaks English).

class KtprintLanguageTest : public SimulatorTest {};

TEST_F(KtprintLanguageTest, ConnectionRefusedInTheUsersLanguage) {
  sim_.stop();  // nothing listens at the printer's address any more
  const struct {
    std::vector<std::string> env;
    const char* expected;
  } cases[] = {
      {{"LC_ALL=", "LANG=C"}, "Socket communication error:"},
      {{"LC_ALL=", "LANG=ja_JP.UTF-8"}, "ソケット通信エラーが発生しました："},
      {{"LC_ALL=ja_JP.UTF-8", "LANGUAGE=en"}, "Socket communication error:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    auto r = runKtprint(iniPath_, {"status"}, c.env);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No.10061"), std::string::npos) << r.err;  // the detail, as the driver
  }
}

TEST_F(KtprintLanguageTest, MissingAddressNamesTheCommandThatSetsIt) {
  auto r = runKtprint(iniPath_, {"--printer", "2", "status"}, {"LC_ALL=", "LANG=C"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("ktprint config --address"), std::string::npos) << r.err;
  r = runKtprint(iniPath_, {"--printer", "2", "status"}, {"LC_ALL=", "LANG=ja_JP.UTF-8"});
  EXPECT_NE(r.err.find("ktprint config --address"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("[設定]"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace nypr::test
