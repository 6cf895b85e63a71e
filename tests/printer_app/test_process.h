// Processes and files as the host tools' tests use them: a temporary directory, a command
// with a deadline, polling, a free loopback port.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace nypr::test {

// A fresh directory, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct CommandResult {
  int exitCode = -1;   // -1 when it did not end in time (it is then killed)
  std::string output;  // standard output and error
};

// Runs `args` (args[0] is the program, looked up in PATH) with its output in `dir` and
// `env` ("NAME=value") added to the environment; gives up after `timeout`.
CommandResult runCommand(const std::vector<std::string>& args, const std::filesystem::path& dir,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30),
                         const std::vector<std::string>& env = {});

// Starts `args` (as runCommand) with standard output and error to `output`; its pid, -1
// when it cannot start. Standard error goes to `errors` when one is given.
pid_t spawn(const std::vector<std::string>& args, const std::filesystem::path& output,
            const std::vector<std::string>& env = {}, const std::filesystem::path& errors = {});
// Waits for `pid` until `timeout`; its exit code, minus the signal that ended it, or -1
// (then killed and reaped).
int reap(pid_t pid, std::chrono::milliseconds timeout);
std::string readFile(const std::filesystem::path& path);

// Polls `condition` every 20 ms until it holds or `timeout` passes.
bool pollUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// A TCP port of the loopback address that nothing listens on now.
int freeLoopbackPort();

}  // namespace nypr::test
