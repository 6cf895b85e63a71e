// Help of the setup dialog: which product's help file and topic, and the WinHelp file
// named in the host's INI file.
#include "ui/help_opener.h"

#include <gtest/gtest.h>

#include <string>

#include "host_fixture.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/help.h"
#include "platform/ui_operator.h"
#include "ui/dialog_procs.h"

namespace nypr {
namespace {

using platform::OperatedDialog;

class SetupHelp : public test::HostTest {
 protected:
  void TearDown() override {
    platform::setHostProgramNameForTesting("");
    platform::clearDialogOperators();
    HostTest::TearDown();
  }

  // Presses the setup dialog's help button under host program `program`.
  platform::HelpRequest pressHelp(const std::string& program) {
    platform::setHostProgramNameForTesting(program);
    const int before = platform::helpRequestCountForTesting();
    NyHwnd window = nullptr;
    platform::setDialogOperator("DIALOG_KT36R", [&](OperatedDialog& d) {
      window = d.window();
      EXPECT_TRUE(d.click(9));
      EXPECT_FALSE(d.ended());
      d.cancel();
    });
    NyPrPrinterSetup(nullptr, 1, nullptr);
    EXPECT_EQ(platform::helpRequestCountForTesting(), before + 1);
    platform::HelpRequest request = platform::lastHelpRequestForTesting();
    EXPECT_EQ(request.window, window);
    EXPECT_TRUE(request.html);
    return request;
  }
};

TEST_F(SetupHelp, TopicOfTheHostProduct) {
  // The help file sits in the module's directory, joined the system's way.
  auto file = [&](const char* name) { return (dir_ / name).string(); };
  EXPECT_EQ(pressHelp("NyFmt").target, file("NYFMT.chm") + "::\\html/47-28lv6.htm");
  EXPECT_EQ(pressHelp("nyfmt").target, file("NYFMT.chm") + "::\\html/47-28lv6.htm");
  EXPECT_EQ(pressHelp("NyBpr").target, file("NYBPR.chm") + "::\\html/47-28lv6.htm");
  EXPECT_EQ(pressHelp("ktprint").target, file("NYPRT.chm") + "::\\html/prt48lv6.htm");
}

TEST_F(SetupHelp, WinHelpFileFromTheHelpPathOfTheHostProduct) {
  writeIni("Help Path", "FmtHelp", "fmt.hlp");
  writeIni("Help Path", "BprHelp", "C:\\Help\\bpr.hlp");
  writeIni("Help Path", "PrtHelp", "/opt/help/prt.hlp");
  platform::setHostProgramNameForTesting("NYFMT");
  EXPECT_EQ(HelpPathFileFnS(), (dir_ / "fmt.hlp").string());
  platform::setHostProgramNameForTesting("NyBpr");
  EXPECT_EQ(HelpPathFileFnS(), "C:\\Help\\bpr.hlp");
  platform::setHostProgramNameForTesting("other");
  EXPECT_EQ(HelpPathFileFnS(), "/opt/help/prt.hlp");

  EXPECT_TRUE(OpenContextHelpFnBL(nullptr, 849));
  platform::HelpRequest request = platform::lastHelpRequestForTesting();
  EXPECT_FALSE(request.html);
  EXPECT_EQ(request.target, "/opt/help/prt.hlp");
  EXPECT_EQ(request.context, 849u);
}

TEST_F(SetupHelp, NoHelpFileOrEmptyTopicOpensNothing) {
  platform::setHostProgramNameForTesting("NyBpr");
  EXPECT_EQ(HelpPathFileFnS(), "");
  const int before = platform::helpRequestCountForTesting();
  EXPECT_FALSE(OpenContextHelpFnBL(nullptr, 849));
  OpenHelpTopicFnV(nullptr, "");
  OpenHelpTopicFnV(nullptr, nullptr);
  EXPECT_EQ(platform::helpRequestCountForTesting(), before);
}

}  // namespace
}  // namespace nypr
