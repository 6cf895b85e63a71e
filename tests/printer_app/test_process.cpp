#include "test_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stb_image_write.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace nypr::test {

using namespace std::chrono;

pid_t spawn(const std::vector<std::string>& args, const std::filesystem::path& output,
            const std::vector<std::string>& env) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; *e; ++e) envp.push_back(*e);  // after: the first one counts
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int reap(pid_t pid, milliseconds timeout) {
  int status = 0;
  const bool ended = pollUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, timeout);
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

int freeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
    port = ntohs(addr.sin_port);
  }
  ::close(fd);
  return port;
}

bool pollUntil(const std::function<bool()>& condition, milliseconds timeout) {
  const auto end = steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(milliseconds(20));
  }
}

int wrongDots(const ktsim::PrintedLabel& label, int width, int height,
              const std::function<bool(int, int)>& black) {
  int wrong = 0;
  for (int y = 0; y < std::max(height, label.height); ++y) {
    for (int x = 0; x < std::max(width, label.width); ++x)
      wrong += label.dot(x, y) != (x < width && y < height && black(x, y));
  }
  return wrong;
}

void writeRaster(const std::string& path, cups_mode_t mode, int dpi, int width, int height,
                 const std::function<bool(int, int)>& black, unsigned speed, int pages) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  cups_raster_t* raster = cupsRasterOpen(fd, mode);
  cups_page_header2_t h{};
  // Media in 0.01 mm for exactly `width` x `height` dots.
  cupsRasterInitPWGHeader(
      &h, pwgMediaForSize((width * 2540 + dpi - 1) / dpi, (height * 2540 + dpi - 1) / dpi),
      "black_1", dpi, dpi, "one-sided", nullptr);
  h.cupsWidth = static_cast<unsigned>(width);
  h.cupsHeight = static_cast<unsigned>(height);
  h.cupsBytesPerLine = static_cast<unsigned>((width + 7) / 8);
  // A CUPS raster page carries the queue's label options where PWG's header init put its
  // feed transforms: none here but the speed.
  if (mode != CUPS_RASTER_WRITE_PWG)
    std::fill(std::begin(h.cupsInteger), std::end(h.cupsInteger), 0);
  h.cupsInteger[0] = speed;
  std::vector<uint8_t> line(h.cupsBytesPerLine);
  for (int page = 0; page < pages; ++page) {
    EXPECT_TRUE(cupsRasterWriteHeader2(raster, &h)) << path;
    for (int y = 0; y < height; ++y) {
      std::fill(line.begin(), line.end(), 0);
      for (int x = 0; x < width; ++x) {
        if (black(x, y)) line[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
      cupsRasterWritePixels(raster, line.data(), h.cupsBytesPerLine);
    }
  }
  cupsRasterClose(raster);
  ::close(fd);
}

void writePng(const std::string& path, int width, int height,
              const std::function<bool(int, int)>& black) {
  std::vector<uint8_t> grey(static_cast<size_t>(width * height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      grey[static_cast<size_t>(y * width + x)] = black(x, y) ? 0 : 255;
  }
  EXPECT_NE(stbi_write_png(path.c_str(), width, height, 1, grey.data(), width), 0) << path;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "nypr-app-XXXXXX").string();
  path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

CommandResult runCommand(const std::vector<std::string>& args, const std::filesystem::path& dir,
                         milliseconds timeout, const std::vector<std::string>& env) {
  CommandResult result;
  const auto output = dir / "command.out";
  const pid_t pid = spawn(args, output, env);
  if (pid < 0) return result;
  result.exitCode = reap(pid, timeout);
  result.output = readFile(output);
  return result;
}

}  // namespace nypr::test
