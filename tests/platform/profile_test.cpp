// The INI profile functions behave like the Windows ones the host relies on.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace nypr::platform;

namespace {

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("nypr_profile_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "host.ini").string();
  }
  void TearDown() override {
    profileFailRenameForTesting(false);
    fs::remove_all(dir_);
  }
  void write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string read() {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  fs::path dir_;
  std::string path_;
};

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesDefault) {
  EXPECT_EQ(profileReadString(path_, "KT3600R Info", "KT00", "dflt"), "dflt");
  EXPECT_EQ(profileReadInt(path_, "Log", "MAXBmp", 1000), 1000);
  write("[Log]\nBACKUPBMP=1\n");
  EXPECT_EQ(profileReadInt(path_, "Log", "MAXBmp", 1000), 1000);
  EXPECT_EQ(profileReadInt(path_, "Other", "BACKUPBMP", 7), 7);
  EXPECT_EQ(profileReadInt(path_, "Log", "BACKUPBMP", 0), 1);
}

TEST_F(ProfileTest, SectionsAndKeysIgnoreCaseAndValuesAreTrimmed) {
  write("[kt3600r INFO]\r\nkt00 =  C0A8000A#1#  \r\n");
  EXPECT_EQ(profileReadString(path_, "KT3600R Info", "KT00", ""), "C0A8000A#1#");
}

TEST_F(ProfileTest, ReadIntFollowsWindowsParsing) {
  write("[S]\na=12abc\nb=-7\nc=0x10\nd=abc\ne=  42\nf=99999999999\n");
  EXPECT_EQ(profileReadInt(path_, "S", "a", 5), 12);
  EXPECT_EQ(profileReadInt(path_, "S", "b", 5), -7);
  EXPECT_EQ(profileReadInt(path_, "S", "c", 5), 0);
  EXPECT_EQ(profileReadInt(path_, "S", "d", 5), 5);
  EXPECT_EQ(profileReadInt(path_, "S", "e", 5), 42);
  EXPECT_EQ(profileReadInt(path_, "S", "f", 5), 2147483647);
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
  const std::string before =
      "; written by hand\r\n"
      "[System Data]\r\n"
      "Socket_ConnectTimeout=3000\r\n"
      "\r\n"
      "[kt3600r info]\r\n"
      "; printer 1\r\n"
      "Kt00=OLD\r\n"
      "KT01=KEEP\r\n"
      "a line without equals\r\n"
      "\r\n"
      "[Log]\r\n"
      "BACKUPBMP=1\r\n"
      "; trailing comment\r\n";
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
  // No temporary file is left behind.
  int files = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++files;
  EXPECT_EQ(files, 1);
}

TEST_F(ProfileTest, UnwritableDirectoryIsReportedNotHidden) {
  EXPECT_FALSE(profileWriteString((dir_ / "missing" / "host.ini").string(), "S", "k", "v"));
}

TEST_F(ProfileTest, NothingIsCachedBetweenCalls) {
  write("[S]\nk=1\n");
  EXPECT_EQ(profileReadInt(path_, "S", "k", 0), 1);
  write("[S]\nk=2\n");
  EXPECT_EQ(profileReadInt(path_, "S", "k", 0), 2);
}

// Files a host or a technician may leave behind, read as the Windows profile functions
// read them, and written without disturbing any line but the one written.
struct OddFile {
  const char* name;
  std::string text;
  const char* key;         // in [KT3600R Info]
  const char* read;        // what a read of the key gives (default "dflt")
  std::string afterWrite;  // the file after writing the key to "NEW"
};

TEST_F(ProfileTest, OddFilesReadAndWriteAsWindowsDoes) {
  const std::string bom = "\xEF\xBB\xBF";
  const OddFile cases[] = {
      {"byte-order mark before the first section", bom + "[KT3600R Info]\nKT00=A\n", "KT00", "A",
       bom + "[KT3600R Info]\nKT00=NEW\n"},
      {"byte-order mark, new key joins the first section", bom + "[KT3600R Info]\nKT00=A\n", "KT01",
       "dflt", bom + "[KT3600R Info]\nKT00=A\nKT01=NEW\n"},
      {"byte-order mark alone", bom, "KT00", "dflt", bom + "[KT3600R Info]\nKT00=NEW\n"},
      {"duplicate key: the first wins", "[KT3600R Info]\nKT00=A\nkt00=B\n", "KT00", "A",
       "[KT3600R Info]\nKT00=NEW\nkt00=B\n"},
      {"duplicate section: only the first is searched",
       "[KT3600R Info]\nKT00=A\n[Log]\nX=1\n[kt3600r info]\nKT00=B\nKT01=C\n", "KT01", "dflt",
       "[KT3600R Info]\nKT00=A\nKT01=NEW\n[Log]\nX=1\n[kt3600r info]\nKT00=B\nKT01=C\n"},
      {"CRLF lines keep their ends", "[KT3600R Info]\r\nKT00 = A \r\nKT01=B\r\n", "KT00", "A",
       "[KT3600R Info]\r\nKT00=NEW\r\nKT01=B\r\n"},
      {"CRLF file, new key", "[KT3600R Info]\r\nKT01=B", "KT00", "dflt",
       "[KT3600R Info]\r\nKT01=B\r\nKT00=NEW\r\n"},
      {"lines without = are kept", "[KT3600R Info]\nstray text\nKT01=B\n; note\n", "KT00", "dflt",
       "[KT3600R Info]\nstray text\nKT01=B\nKT00=NEW\n; note\n"},
      {"a bare key has no value", "[KT3600R Info]\nKT00\nKT00=B\n", "KT00", "dflt",
       "[KT3600R Info]\nKT00=NEW\nKT00=B\n"},
      {"quotes around a value", "[KT3600R Info]\nKT00='A B'\nKT01=\"C\n", "KT00", "A B",
       "[KT3600R Info]\nKT00=NEW\nKT01=\"C\n"},
      {"section name runs to the last ]", "[KT3600R Info]]\nKT00=A\n[KT3600R Info] x\nKT00=B\n",
       "KT00", "B", "[KT3600R Info]]\nKT00=A\n[KT3600R Info] x\nKT00=NEW\n"},
      {"entries before any section belong to none", "KT00=A\n", "KT00", "dflt",
       "KT00=A\n[KT3600R Info]\nKT00=NEW\n"},
  };
  for (const OddFile& c : cases) {
    SCOPED_TRACE(c.name);
    write(c.text);
    EXPECT_EQ(profileReadString(path_, "KT3600R Info", c.key, "dflt"), c.read);
    ASSERT_TRUE(profileWriteString(path_, "KT3600R Info", c.key, "NEW"));
    EXPECT_EQ(read(), c.afterWrite);
    EXPECT_EQ(profileReadString(path_, "KT3600R Info", c.key, "dflt"), "NEW");
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

// A host drives printers 1-8 from different threads, and every job writes the INI: no
// thread may lose another's update.
TEST_F(ProfileTest, ThreadsWritingAtOnceLoseNoUpdate) {
  write("[System Data]\nSocket_ConnectTimeout=2000\n[Other]\nkeep=1\n");
  constexpr int kThreads = 8;
  constexpr int kWrites = 40;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string key = "KT0" + std::to_string(t);
      for (int i = 0; i < kWrites; ++i) {
        const std::string value = std::to_string(i);
        if (!profileWriteString(path_, "KT3600R Info", key.c_str(), value.c_str())) ++failures[t];
        if (!profileWriteString(path_, "BackPrinting", ("S" + key).c_str(), value.c_str())) {
          ++failures[t];
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    const std::string key = "KT0" + std::to_string(t);
    EXPECT_EQ(failures[t], 0) << key;
    EXPECT_EQ(profileReadInt(path_, "KT3600R Info", key.c_str(), -1), kWrites - 1) << key;
    EXPECT_EQ(profileReadInt(path_, "BackPrinting", ("S" + key).c_str(), -1), kWrites - 1) << key;
  }
  EXPECT_EQ(profileReadInt(path_, "System Data", "Socket_ConnectTimeout", -1), 2000);
  EXPECT_EQ(profileReadInt(path_, "Other", "keep", -1), 1);
  int files = 0;  // no temporary file left behind
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++files;
  EXPECT_EQ(files, 1);
}

}  // namespace
