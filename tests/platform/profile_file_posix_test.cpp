// The INI file's kind and permissions survive a write, and processes sharing the file
// lose no update. POSIX only: it forks writers and uses file modes and symbolic links.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/profile.h"
#include "profile_fixture.h"

namespace fs = std::filesystem;
using namespace nypr::platform;

namespace {

class ProfileFileTest : public nypr::testing::ProfileFixture {
 protected:
  void SetUp() override {
    ProfileFixture::SetUp();
    write("[S]\nk=old\n");
  }
  static mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0);
    return st.st_mode;
  }
};

TEST_F(ProfileFileTest, WriteKeepsTheFileMode) {
  for (mode_t mode : {0600, 0640, 0664}) {
    ASSERT_EQ(::chmod(path_.c_str(), mode), 0);
    ASSERT_TRUE(profileWriteString(path_, "S", "k", std::to_string(mode).c_str()));
    EXPECT_EQ(modeOf(path_) & 07777, mode);
  }
}

TEST_F(ProfileFileTest, WriteThroughASymbolicLinkUpdatesItsTarget) {
  fs::create_directories(dir_ / "real");
  const std::string target = (dir_ / "real" / "host.ini").string();
  fs::rename(path_, target);
  fs::create_symlink("real/host.ini", path_);
  ASSERT_TRUE(profileWriteString(path_, "S", "k", "new"));
  EXPECT_TRUE(S_ISLNK(modeOf(path_)));
  EXPECT_EQ(contents(target), "[S]\nk=new\n");
  EXPECT_EQ(profileReadString(path_, "S", "k", ""), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real"), {}), 1);
}

// A read-only INI or folder is a refusal, as on Windows: the write reports failure and
// nothing is replaced.
TEST_F(ProfileFileTest, ReadOnlyFileOrFolderFailsAndKeepsTheFile) {
  struct Case {
    const char* name;
    fs::path chmodPath;
    mode_t mode;
  } cases[] = {{"read-only file", path_, 0444}, {"read-only folder", dir_, 0555}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(::chmod(c.chmodPath.c_str(), c.mode), 0);
    EXPECT_FALSE(profileWriteString(path_, "S", "k", "new"));
    EXPECT_FALSE(profileWriteString(path_, "T", "added", "new"));
    EXPECT_EQ(read(), "[S]\nk=old\n");
    EXPECT_EQ(modeOf(c.chmodPath) & 07777, c.mode);
    EXPECT_EQ(files(), 1);
    ASSERT_EQ(::chmod(c.chmodPath.c_str(), c.chmodPath == dir_ ? 0755 : 0644), 0);
  }
}

// Two host processes each write their own key many times: every write succeeds and the
// last value of each survives.
TEST_F(ProfileFileTest, ProcessesWritingAtOnceLoseNoUpdate) {
  constexpr int kProcesses = 2;
  constexpr int kWrites = 300;
  pid_t pids[kProcesses];
  for (int p = 0; p < kProcesses; ++p) {
    pids[p] = ::fork();
    ASSERT_GE(pids[p], 0);
    if (pids[p] == 0) {
      const std::string key = "P" + std::to_string(p);
      int failed = 0;
      for (int i = 1; i <= kWrites; ++i) {
        failed += profileWriteString(path_, "S", key.c_str(), std::to_string(i).c_str()) ? 0 : 1;
      }
      ::_exit(failed == 0 ? 0 : 1);
    }
  }
  for (pid_t pid : pids) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write failed";
  }
  for (int p = 0; p < kProcesses; ++p) {
    EXPECT_EQ(profileReadInt(path_, "S", ("P" + std::to_string(p)).c_str(), 0), kWrites);
  }
  EXPECT_EQ(profileReadString(path_, "S", "k", ""), "old");
  EXPECT_EQ(files(), 1);
}

}  // namespace
