// Reading numbers out of the status block and building the status line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

// Each row edits the block at some positions and gives the distance answer ("": the
// distance query failed).
TEST(StatusLine, FieldsInPlaceMissingFlagsAndControlCharacters) {
  ASSERT_EQ(block().size(), 53u);
  const std::string range = platform::cp932FromUtf8("1262～1300");
  const struct {
    const char* label;
    std::vector<std::pair<size_t, char>> edits;
    const char* lrs;
    std::string expected;
  } rows[] = {
      {"every field",
       {},
       "2S200LRR0050012345678012000111222",
       "120#110#250#030#020#010#050#" + range +
           "#0#0253#1198#0#002#000#100#1#050#012Km345m678mm#120Km001m112mm"},
      // No resistance range for a rank the printer does not have.
      {"missing flags",
       {{42, '\0'}, {52, '\0'}, {32, '9'}},
       "",
       "120#110#250#030#020#010#050##0#0253#1198#0#002#000#100#0##Kmmmm#Kmmmm"},
      // Control characters (DEL too) cannot break the INI line; a space is shown as it is.
      {"control characters",
       {{20, '\n'}, {21, '\r'}, {23, '\x7F'}, {8, ' '}},
       "",
       " 20#110#250#??0#?20#010#050#" + range + "#0#0253#1198#0#002#000#100#1##Kmmmm#Kmmmm"},
  };
  for (const auto& r : rows) {
    std::string b = block();
    for (const auto& [at, c] : r.edits) b[at] = c;
    char lrs[33] = {};
    std::memcpy(lrs, r.lrs, std::strlen(r.lrs));
    EXPECT_EQ(buildStatusLine(b.data(), lrs), r.expected) << r.label;
  }
}
