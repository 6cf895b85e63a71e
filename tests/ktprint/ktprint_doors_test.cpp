// What a user hands ktprint (pictures, sizes, option values, paths) is checked before it
// costs memory or time or reaches the printer. ktprint runs under an address-space and
// CPU-time limit, so an unbounded allocation or resize fails its row instead of the machine.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "ktprint_runner.h"
#include "test_data.h"

namespace nypr::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressLimit = false;  // the sanitizer's shadow memory needs terabytes
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressLimit = false;
#else
constexpr bool kAddressLimit = true;
#endif
#else
constexpr bool kAddressLimit = true;
#endif

// ktprint with `args` (its INI first, its standard output to `out`), at most 512 MiB of
// address space and 10 s of CPU; killed when it has not ended after 60 s. Exit code, or
// -signal.
CommandResult runLimited(const std::string& ini, const std::vector<std::string>& args,
                         const std::string& out) {
  CommandResult result;
  int errPipe[2];
  if (::pipe(errPipe) != 0) return result;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(errPipe[1], 2);
    ::close(errPipe[0]);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    if (kAddressLimit) {
      const rlimit memory{512u << 20, 512u << 20};
      ::setrlimit(RLIMIT_AS, &memory);
    }
    const rlimit cpu{10, 10};
    ::setrlimit(RLIMIT_CPU, &cpu);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    std::vector<std::string> all = {KTPRINT_PATH, "--ini", ini};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(errPipe[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{errPipe[0], POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
      ::kill(pid, SIGKILL);
      break;
    }
    char buf[4096];
    const ssize_t n = ::read(errPipe[0], buf, sizeof buf);
    if (n <= 0) break;
    result.err.append(buf, static_cast<size_t>(n));
  }
  ::close(errPipe[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return result;
}

class KtprintDoorsTest : public SimulatorTest {
 protected:
  std::string data(const char* name) {
    return testing::testDataPath(std::string("ktprint/") + name);
  }
  std::string fifo(const char* name) {
    std::string path = (dir_ / name).string();
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    return path;
  }
};

TEST_F(KtprintDoorsTest, EveryBadInputIsRefusedWithinBoundsAndNothingIsPrinted) {
  const std::string ok = data("small.pgm");
  const std::string pictureFifo = fifo("picture.fifo");
  const std::string iniFifo = fifo("ini.fifo");
  const std::string bigIni = (dir_ / "big.ini").string();
  std::ofstream(bigIni) << std::string((1 << 20) + 1, '\n');
  const struct {
    const char* what;
    std::string ini;
    std::vector<std::string> args;
    int exitCode;
    const char* message;
    std::string out = "/dev/null";
  } rows[] = {
      // Sizes, checked before they are narrowed to the print command's fields.
      {"8 x 80 000 dots", iniPath_, {"print", data("long-8x80000.png")}, 2, "longer than 833.2 mm"},
      {"8 x 30 000 dots", iniPath_, {"print", data("long-8x30000.png")}, 2, "longer than 833.2 mm"},
      {"961 dots wide", iniPath_, {"print", data("wide-961x8.png")}, 2, "wider than 80 mm"},
      {"--width 81", iniPath_, {"print", ok, "--width", "81"}, 2, "wider than 80 mm"},
      {"--length 834", iniPath_, {"print", ok, "--length", "834"}, 2, "longer than 833.2 mm"},
      {"feed --length 900", iniPath_, {"feed", "--length", "900"}, 2, "longer than 833.2 mm"},
      // Fitting: the scaled size in a wide type, the resize bounded.
      {"fit 1 x 4 473 925",
       iniPath_,
       {"print", data("thin-1x4473925.png"), "--fit"},
       2,
       "longer than 833.2 mm"},
      {"fit 1 x 4 473 925 to 2000 mm",
       iniPath_,
       {"print", data("thin-1x4473925.png"), "--fit", "--length", "2000"},
       2,
       "longer than 833.2 mm"},
      // Values that pass every range check.
      {"--gap nan", iniPath_, {"print", ok, "--gap", "nan"}, 2, "not a finite number"},
      {"--width nan", iniPath_, {"print", ok, "--width", "nan"}, 2, "not a finite number"},
      {"--length inf", iniPath_, {"print", ok, "--length", "inf"}, 2, "not a finite number"},
      {"feed --gap -inf", iniPath_, {"feed", "--gap", "-inf"}, 2, "not a finite number"},
      // Small files that declare much, and files cut short.
      {"Radiance 8192 x 8192",
       iniPath_,
       {"print", data("radiance-8192.hdr")},
       2,
       "not a PNG, JPEG, BMP, GIF or PNM picture"},
      {"progressive JPEG 8192 x 8192",
       iniPath_,
       {"print", data("progressive-8192-cmyk.jpg")},
       2,
       "too large for a label"},
      {"JPEG of 101 scans", iniPath_, {"print", data("scans-101.jpg")}, 2, "too many scans"},
      {"PNG inflating to 8 MB",
       iniPath_,
       {"print", data("inflates.png")},
       2,
       "too large for a label"},
      {"PNG cut short", iniPath_, {"print", data("cut.png")}, 2, "cut short"},
      {"JPEG without its end", iniPath_, {"print", data("cut.jpg")}, 2, "cut short"},
      {"PGM cut short", iniPath_, {"print", data("cut.pgm")}, 2, "cut short"},
      {"GIF cut short", iniPath_, {"print", data("cut.gif")}, 2, "cut short"},
      {"BMP cut short", iniPath_, {"print", data("cut.bmp")}, 2, "cut short"},
      {"TGA", iniPath_, {"print", data("cut.tga")}, 2, "not a PNG"},
      {"PSD", iniPath_, {"print", data("cut.psd")}, 2, "not a PNG"},
      // Writes that fail, and special files.
      {"preview to a full disk",
       iniPath_,
       {"print", ok, "--preview", "/dev/full"},
       2,
       "cannot write /dev/full"},
      {"picture from a FIFO", iniPath_, {"print", pictureFifo}, 2, "not a regular file"},
      {"INI on a device", "/dev/null", {"status"}, 2, "/dev/null: not a regular file"},
      {"INI on a FIFO", iniFifo, {"status"}, 2, "not a regular file"},
      {"INI on a directory", dir_.string(), {"print", ok}, 2, "not a regular file"},
      {"INI above 1 MiB", bigIni, {"status"}, 2, "larger than the 1 MiB"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    auto r = runLimited(row.ini, row.args, row.out);
    EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
  }
  EXPECT_TRUE(sim_.connections().empty());  // refused before the printer is opened
  struct stat device {};
  ASSERT_EQ(::stat("/dev/null", &device), 0);
  EXPECT_TRUE(S_ISCHR(device.st_mode));
}

TEST_F(KtprintDoorsTest, LabelKindsAtTheirLimitsStillPrint) {
  const struct {
    const char* what;
    std::vector<std::string> args;
    const char* shown;
  } rows[] = {
      {"GIF", {"print", data("small.gif")}, ": 1 x 1"},
      {"BMP", {"print", data("small.bmp")}, ": 4 x 2"},
      {"PGM", {"print", data("small.pgm")}, ": 4 x 2"},
      {"80 mm x 833.2 mm",
       {"print", data("small.pgm"), "--width", "80", "--length", "833.2"},
       ": 960 x 9998"},
      {"fit 1 x 4 473 925 to 800 mm",
       {"print", data("thin-1x4473925.png"), "--fit", "--length", "800"},
       ": 1 x 9600"},
  };
  const std::string preview = (dir_ / "preview.png").string();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<std::string> args = row.args;
    args.insert(args.end(), {"--preview", preview});
    auto r = runKtprint(iniPath_, args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(row.shown), std::string::npos) << r.out;
  }
}

// A label left at the peeler holds only the next auto-peel job: an ordinary job prints,
// and the next auto-peel job is told to take the label.
TEST_F(KtprintDoorsTest, ALabelAtThePeelerHoldsOnlyAutoPeelJobs) {
  const std::string picture = data("small.pgm");
  auto peel = runKtprint(iniPath_, {"print", picture, "--peel"});
  ASSERT_EQ(peel.exitCode, 0) << peel.err;
  ASSERT_TRUE(sim_.waitForLabelAtPeeler(ktsim::Millis(5000)));
  auto ordinary = runKtprint(iniPath_, {"print", picture});
  EXPECT_EQ(ordinary.exitCode, 0) << ordinary.err;
  EXPECT_TRUE(sim_.waitForLabels(2, ktsim::Millis(5000)));
  auto next = runKtprint(iniPath_, {"print", picture, "--peel"});
  EXPECT_EQ(next.exitCode, 1);
  EXPECT_NE(next.err.find("A label is left at the peeler. Take the label."), std::string::npos)
      << next.err;
  EXPECT_EQ(sim_.labels().size(), 2u);
}

}  // namespace
}  // namespace nypr::test
