// The INI file's kind and permissions survive a write, and processes and threads sharing
// the file lose no update. POSIX only: it forks writers and uses file modes and symbolic links.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/profile.h"
#include "profile_fixture.h"
#include "sanitized_build.h"

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

// In a shared sticky folder a link is followed only as the kernel would follow it: the
// caller's own link, not one another user planted at the name the caller writes to.
TEST_F(ProfileFileTest, LinkPlantedInASharedFolderIsNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
  const fs::path shared = dir_ / "tmp";
  fs::create_directories(shared);
  fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
  const struct {
    const char* name;
    uid_t linkOwner;
    bool followed;
  } cases[] = {{"the caller's own link", ::geteuid(), true}, {"a planted link", 65534, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    write("[S]\nk=old\n");
    const std::string link = (shared / "host.ini").string();
    fs::remove(link);
    fs::create_symlink(path_, link);
    ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
    EXPECT_EQ(profileWriteString(link, "S", "k", "new"), c.followed);
    EXPECT_EQ(read(), c.followed ? "[S]\nk=new\n" : "[S]\nk=old\n");
    EXPECT_TRUE(fs::is_symlink(link));
  }
}

// A FIFO or device at the INI's path is neither waited on nor replaced by a file.
TEST_F(ProfileFileTest, SpecialFileIsNeitherReadNorReplaced) {
  fs::remove(path_);
  ASSERT_EQ(::mkfifo(path_.c_str(), 0644), 0);
  EXPECT_EQ(profileReadString(path_, "S", "k", "dflt"), "dflt");
  EXPECT_FALSE(profileWriteString(path_, "S", "k", "new"));
  EXPECT_TRUE(fs::is_fifo(path_));
  EXPECT_EQ(files(), 1);
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
    EXPECT_EQ(read(), "[S]\nk=old\n");
    EXPECT_EQ(modeOf(c.chmodPath) & 07777, c.mode);
    EXPECT_EQ(files(), 1);
    ASSERT_EQ(::chmod(c.chmodPath.c_str(), c.chmodPath == dir_ ? 0755 : 0644), 0);
  }
}

// Two host processes, each driving printers from several threads, write their own keys
// many times: every write succeeds, and the last value of each and the rest of the file
// survive.
TEST_F(ProfileFileTest, ProcessesAndThreadsWritingAtOnceLoseNoUpdate) {
  constexpr int kProcesses = 2;
  constexpr int kThreads = 4;
  constexpr int kWrites = 60;
  const auto key = [](int p, int t) { return "KT" + std::to_string(p) + std::to_string(t); };
  pid_t pids[kProcesses];
  for (int p = 0; p < kProcesses; ++p) {
    pids[p] = ::fork();
    ASSERT_GE(pids[p], 0);
    if (pids[p] == 0) {
      std::atomic<int> failed{0};
      std::vector<std::thread> threads;
      for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
          for (int i = 1; i <= kWrites; ++i) {
            const std::string value = std::to_string(i);
            if (!profileWriteString(path_, "S", key(p, t).c_str(), value.c_str())) ++failed;
          }
        });
      }
      for (std::thread& th : threads) th.join();
      ::_exit(failed == 0 ? 0 : 1);
    }
  }
  for (pid_t pid : pids) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write failed";
  }
  for (int p = 0; p < kProcesses; ++p) {
    for (int t = 0; t < kThreads; ++t) {
      EXPECT_EQ(profileReadInt(path_, "S", key(p, t).c_str(), 0), kWrites) << key(p, t);
    }
  }
  EXPECT_EQ(profileReadString(path_, "S", "k", ""), "old");
  EXPECT_EQ(files(), 1);
}

// Runs `body` in a child process whose address space is limited to what it has now plus
// `headroom`, so an allocation that grows with the file fails the check instead of the
// machine; the child's exit status (1 for a failed check, 3 for an exception, 128 + a
// signal) is returned.
int inBoundedChild(size_t headroom, const std::function<bool()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!nypr::test::kSanitizedBuild) {
      long pages = 0;
      if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
        std::fclose(f);
      }
      const rlim_t limit =
          static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + headroom;
      const rlimit r{limit, limit};
      if (pages == 0 || ::setrlimit(RLIMIT_AS, &r) != 0) ::_exit(2);
    }
    try {
      ::_exit(body() ? 0 : 1);
    } catch (...) {
      ::_exit(3);  // out of memory
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// What one read or write of the INI costs is bounded by the file, never by its line
// count, and a file above the size limit is refused whole: the defaults are read and a
// write fails without touching it.
TEST_F(ProfileFileTest, LargeFilesCostTheirSizeAtMostAndAboveTheLimitAreRefused) {
  const size_t kBlankLines50MB = size_t{50} << 20;
  const struct {
    const char* name;
    size_t blankLines;  // before "[S]\nk=old\n"
    const char* reads;
    bool writes;
  } cases[] = {
      {"just under the limit", kMaxProfileBytes - 10, "old", true},
      {"just over the limit", kMaxProfileBytes - 9, "dflt", false},
      {"50 MB of blank lines", kBlankLines50MB, "dflt", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    write(std::string(c.blankLines, '\n') + "[S]\nk=old\n");
    const uintmax_t size = fs::file_size(path_);
    // The file in memory once and an edited copy, with room to spare, but far less than
    // a record per line (tens of bytes each).
    EXPECT_EQ(inBoundedChild(size_t{16} << 20,
                             [&] {
                               return profileReadString(path_, "S", "k", "dflt") == c.reads &&
                                      profileWriteString(path_, "S", "k2", "v") == c.writes;
                             }),
              0);
    EXPECT_EQ(fs::file_size(path_), c.writes ? size + 5 : size);
  }
}

}  // namespace
