// ktprint's messages follow the user's locale (GNU gettext: POSIX builds; ktprint.exe
// speaks English).
#include <string>

#include "host_fixture.h"
#include "ktprint_runner.h"

namespace nypr::test {
namespace {

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
