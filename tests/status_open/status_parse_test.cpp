// Reading numbers out of the status block and building the status line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/text.h"
#include "status/printer_status.h"

using namespace nypr;

TEST(StatusFields, NumbersAreReadWithinTheirWidth) {
  EXPECT_EQ(ParseNumFieldFnI("   ", 3), 0);  // spaces only
  EXPECT_EQ(ParseNumFieldFnI(" 12", 3), 12);
  EXPECT_EQ(ParseNumFieldFnI("-05", 3), -5);
  EXPECT_EQ(ParseNumFieldFnI("020030", 3), 20);  // the next field is not part of this one
  EXPECT_EQ(ParseNumFieldFnI("7ab", 3), 7);
  const char nulFirst[] = {'\0', '1', '2'};
  EXPECT_EQ(ParseNumFieldFnI(nulFirst, 3), 0);  // a NUL ends the field
  EXPECT_EQ(ParseNumFieldFnI("12", 0), 0);
  EXPECT_EQ(ParseNumFieldFnI(nullptr, 3), 0);
}

namespace {

// A status block as the printer sends it, position by position.
std::string block() {
  std::string b = "2S200";  // header
  b += "19R";               // reply code
  b += "120110250";         // controller, BIOS, program version
  b += "000";               // error code
  b += "030020010050";      // gap, mark, peel, ribbon
  b += "3";                 // head rank
  b += "0";                 // head open
  b += "0253"
       "1198";  // head and ambient temperature
  b += "0";     // status failure
  b += "002";   // status characters, paper stop position last
  b += "000";   // cutter door
  b += "100";   // device controller version
  b += "1";     // status digit
  return b;
}

}  // namespace

TEST(StatusLine, EveryFieldInItsPlace) {
  std::string b = block();
  ASSERT_EQ(b.size(), 53u);
  char lrs[33] = {};
  std::memcpy(lrs, "2S200LRR0050012345678012000111222", 32);
  std::string line = buildStatusLine(b.data(), lrs);
  std::string expected = "120#110#250#030#020#010#050#" + platform::cp932FromUtf8("1262～1300") +
                         "#0#0253#1198#0#002#000#100#1#050#012Km345m678mm#120Km001m112mm";
  EXPECT_EQ(line, expected);
  EXPECT_LE(line.size(), 100u);
}

TEST(StatusLine, MissingFlagsAndFailedDistanceQuery) {
  std::string b = block();
  b[42] = '\0';
  b[52] = '\0';
  b[32] = '9';  // no resistance range for a rank the printer does not have
  char lrs[33] = {};
  std::string line = buildStatusLine(b.data(), lrs);
  EXPECT_EQ(line, "120#110#250#030#020#010#050##0#0253#1198#0#002#000#100#0##Kmmmm#Kmmmm");
}

TEST(StatusLine, ControlCharactersCannotBreakTheIniLine) {
  std::string b = block();
  b[20] = '\n';
  b[21] = '\r';
  char lrs[33] = {};
  std::string line = buildStatusLine(b.data(), lrs);
  EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(line.substr(12, 4), "??0#");
  // DEL is a control character too; a space is shown as it is.
  b[8] = ' ';
  b[23] = '\x7F';
  line = buildStatusLine(b.data(), lrs);
  EXPECT_EQ(line.substr(0, 4), " 20#");
  EXPECT_EQ(line.substr(16, 4), "?20#");
}
