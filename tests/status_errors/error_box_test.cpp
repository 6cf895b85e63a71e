// The error box and the range message as the host receives them.
#include <gtest/gtest.h>

#include <string>

#include "core/host_api.h"
#include "core/slots.h"
#include "driver/module_entry.h"
#include "host_fixture.h"
#include "nyhost/nyhost_control.h"
#include "platform/ui.h"
#include "status/error_text.h"
#include "test_data.h"

namespace nypr {
namespace {

using test::cp932;
using testing::messageText;

struct Box {
  int count = 0;
  NyHwnd owner = nullptr;
  std::string text;
  std::string caption;
  uint32_t style = 0;
  int answer = NY_IDOK;
};

int recordBox(void* user, NyHwnd owner, const char* text, const char* caption, uint32_t style) {
  Box* box = static_cast<Box*>(user);
  *box = {box->count + 1, owner, text, caption, style, box->answer};
  return box->answer;
}

// A host INI file of its own, the module attached, no slot in error.
class ErrorBoxTest : public test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    moduleAttach();
    for (PrinterSlot& slot : stKtRSE) slot.dwLastError = slot.dwError = kNoError;
    nyhostSetMessageBoxHandler(&recordBox, &box_);
  }
  void TearDown() override {
    nyhostSetHostString(1000, nullptr);
    HostTest::TearDown();
  }

  Box box_;
  const std::string caption_ = cp932(messageText(60014));
};

TEST_F(ErrorBoxTest, NothingIsShownWithoutAnError) {
  const int beeps = platform::beepCountForTesting();
  EXPECT_EQ(ShowPrinterErrorFnI(nullptr, 0), 0);
  stKtRSE[0].dwLastError = 0;
  ShowPrinterErrorFnI(nullptr, 0);
  SE_ShowErrorFnI(nullptr, &stKtRSE[0]);
  SE_ShowErrorFnI(nullptr, nullptr);
  stKtRSE[0].dwLastError = 60400;
  ShowPrinterErrorFnI(nullptr, 8);  // no such slot
  EXPECT_EQ(box_.count, 0);
  EXPECT_EQ(platform::beepCountForTesting(), beeps);
}

TEST_F(ErrorBoxTest, PlainWarningWithTheMessageAndCaption) {
  int owner = 0;
  stKtRSE[2].dwLastError = 60400;
  box_.answer = NY_IDCANCEL;
  const int beeps = platform::beepCountForTesting();
  EXPECT_EQ(ShowPrinterErrorFnI(reinterpret_cast<NyHwnd>(&owner), 2), NY_IDCANCEL);
  EXPECT_EQ(box_.count, 1);
  EXPECT_EQ(box_.owner, reinterpret_cast<NyHwnd>(&owner));
  EXPECT_EQ(box_.text, cp932(messageText(60400)));
  EXPECT_EQ(box_.caption, caption_);
  EXPECT_EQ(box_.style, 48u);
  EXPECT_EQ(platform::beepCountForTesting(), beeps + 1);

  // Without an owner the box belongs to the window with the focus.
  ShowPrinterErrorFnI(nullptr, 2);
  EXPECT_EQ(box_.owner, platform::focusWindow());
}

TEST_F(ErrorBoxTest, HelpReferenceInTheIniFileOffersHelpForTheCode) {
  writeIni("HELP PATH", "KTERR-60402", "kt3600r.chm::/socket.htm");
  writeIni("HELP PATH", "kterr-00005", "kt3600r.chm::/gap.htm");
  writeIni("HELP PATH", "KTERR-60401", "");
  writeIni("HELP PATH", "KTERR-60302", "kt.chm");
  stKtRSE[0].dwLastError = 60402;
  stKtRSE[0].dwError = 10060;
  ShowPrinterErrorFnI(nullptr, 0);
  EXPECT_EQ(box_.style, 0x8000EBF2u);
  EXPECT_EQ(box_.text.substr(box_.text.size() - 8), "No.10060");

  stKtRSE[0].dwLastError = 5;
  ShowPrinterErrorFnI(nullptr, 0);
  EXPECT_EQ(box_.style, 0x80000005u);

  stKtRSE[0].dwLastError = 60401;  // an empty reference is no reference
  ShowPrinterErrorFnI(nullptr, 0);
  EXPECT_EQ(box_.style, 48u);

  // The auxiliary channel's box takes its text through the language loader.
  stKtRSE[5].dwLastError = 60302;
  EXPECT_EQ(SE_ShowErrorFnI(nullptr, &stKtRSE[5]), NY_IDOK);
  EXPECT_EQ(box_.text, cp932(messageText(60302)));
  EXPECT_EQ(box_.caption, caption_);
  EXPECT_EQ(box_.style, 0x80000000u + 60302u);
}

TEST_F(ErrorBoxTest, LongHostTextsAreCutToTheBoxBuffer) {
  std::string longText;
  for (int i = 0; i < 600; ++i) longText += "\x82\xA0";  // 600 double-byte characters
  nyhostSetHostString(1000, longText.c_str());
  stKtRSE[1].dwLastError = 1000;
  ShowPrinterErrorFnI(nullptr, 1);
  ASSERT_EQ(box_.count, 1);
  EXPECT_LE(box_.text.size(), 511u);
  EXPECT_GE(box_.text.size(), 500u);
  EXPECT_EQ(box_.text.size() % 2, 0u);
  EXPECT_EQ(longText.compare(0, box_.text.size(), box_.text), 0);
}

TEST_F(ErrorBoxTest, RangeMessageNamesTheParameterAndItsBounds) {
  const struct {
    uint32_t id;
    int low, high;
    const char* utf8;
  } rows[] = {
      {60602, 0, 99, "パラメータ「紙なし検出ｾﾝｻｰ」は、0～99の数値を入力して下さい。"},
      {60611, -40, 40,
       "パラメータ「濃度温度変化率(25℃未満・熱転写)：」は、-40～40の数値を入力して下さい。"},
      {12345, 1, 960, "パラメータ「」は、1～960の数値を入力して下さい。"},  // unknown name
  };
  for (const auto& r : rows) {
    const int beeps = platform::beepCountForTesting();
    ShowParamRangeErrorFnV(r.id, r.low, r.high);
    EXPECT_EQ(box_.text, cp932(r.utf8)) << r.id;
    EXPECT_EQ(box_.caption, caption_);
    EXPECT_EQ(box_.style, 48u);
    EXPECT_EQ(box_.owner, platform::focusWindow());
    EXPECT_EQ(platform::beepCountForTesting(), beeps + 1);
  }
}

}  // namespace
}  // namespace nypr
