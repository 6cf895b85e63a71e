// The INI profile functions behave like the Windows ones the host relies on.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <string>

#include "profile_fixture.h"
#include "test_data.h"

using namespace nypr::platform;

namespace {

class ProfileTest : public nypr::testing::ProfileFixture {
 protected:
  void TearDown() override {
    profileFailRenameForTesting(false);
    ProfileFixture::TearDown();
  }
};

// Integer reads (tests/data/profile/read_ints.txt), through the string read. A string's
// default and its trimmed CRLF value: the odd files below.
TEST_F(ProfileTest, ReadsGiveTheValueOrTheDefault) {
  const auto rows = nypr::testing::readTestTable("profile/read_ints.txt");
  EXPECT_EQ(rows.size(), 11u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 5u) << row[0];
    SCOPED_TRACE(row[0] + " " + row[2]);
    if (row[0] != "-") write(nypr::testing::unescapedField(row[0]));
    EXPECT_EQ(profileReadInt(path_, row[1].c_str(), row[2].c_str(), std::stoi(row[3])),
              std::stoi(row[4]));
  }
}

TEST_F(ProfileTest, ReadStringIntoBufferIsCutAndTerminated) {
  write("[S]\nk=abcdefgh\n");
  char buf[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(profileReadString(path_, "S", "k", "", buf, sizeof buf), 4u);
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(profileReadString(path_, "S", "k", "", buf, 0), 0u);
}

TEST_F(ProfileTest, WriteCreatesFileSectionAndKey) {
  ASSERT_TRUE(profileWriteString(path_, "KT3600R Info", "KT00", "C0A8000A"));
  EXPECT_EQ(profileReadString(path_, "kt3600r info", "kt00", ""), "C0A8000A");
  ASSERT_TRUE(profileWriteString(path_, "KT3600R Info", "STATUS00", "x#y"));
  ASSERT_TRUE(profileWriteString(path_, "Log", "KTBakBmpNum", "2"));
  EXPECT_EQ(read(), "[KT3600R Info]\nKT00=C0A8000A\nSTATUS00=x#y\n[Log]\nKTBakBmpNum=2\n");
}

TEST_F(ProfileTest, WriteKeepsEverythingElseOfAHandEditedFile) {
  const std::string before = nypr::testing::readTestData("profile/hand_edited.ini");
  write(before);
  ASSERT_TRUE(profileWriteString(path_, "KT3600R Info", "KT00", "NEW"));
  ASSERT_TRUE(profileWriteString(path_, "KT3600R Info", "STATUS00", "S"));
  std::string expected = before;
  expected.replace(expected.find("Kt00=OLD"), 8, "Kt00=NEW");
  expected.insert(expected.find("a line without"), "STATUS00=S\r\n");
  EXPECT_EQ(read(), expected);
}

TEST_F(ProfileTest, FailedReplaceLeavesThePreviousFileWhole) {
  write("[S]\nk=old\n");
  profileFailRenameForTesting(true);
  EXPECT_FALSE(profileWriteString(path_, "S", "k", "new"));
  profileFailRenameForTesting(false);
  EXPECT_EQ(read(), "[S]\nk=old\n");
  EXPECT_EQ(files(), 1);  // no temporary file left behind
}

TEST_F(ProfileTest, UnwritableDirectoryIsReportedNotHidden) {
  EXPECT_FALSE(profileWriteString((dir_ / "missing" / "host.ini").string(), "S", "k", "v"));
}

// Files a host or a technician may leave behind (tests/data/profile/odd_files.txt).
TEST_F(ProfileTest, OddFilesReadAndWriteAsWindowsDoes) {
  const auto rows = nypr::testing::readTestTable("profile/odd_files.txt");
  EXPECT_EQ(rows.size(), 12u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 5u) << row[0];
    SCOPED_TRACE(row[0]);
    const char* key = row[2].c_str();
    write(nypr::testing::unescapedField(row[1]));
    EXPECT_EQ(profileReadString(path_, "KT3600R Info", key, "dflt"), row[3]);
    ASSERT_TRUE(profileWriteString(path_, "KT3600R Info", key, "NEW"));
    EXPECT_EQ(read(), nypr::testing::unescapedField(row[4]));
    EXPECT_EQ(profileReadString(path_, "KT3600R Info", key, "dflt"), "NEW");
  }
}

TEST_F(ProfileTest, NamesAndValuesThatWouldNotReadBackAreRefused) {
  write("[S]\nk=old\n");
  EXPECT_FALSE(profileWriteString(path_, "S", "k", "two\nlines"));
  EXPECT_FALSE(profileWriteString(path_, "S", "a=b", "v"));
  EXPECT_FALSE(profileWriteString(path_, "S\r\n[T]", "k", "v"));
  EXPECT_FALSE(profileWriteString(path_, " ", "k", "v"));
  EXPECT_EQ(read(), "[S]\nk=old\n");
}

}  // namespace
