#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>

#include "ktprint_runner.h"
#include "sanitized_build.h"

namespace nypr::test {
namespace {

std::string readAll(int fd) {
  std::string data;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) data.append(buf, static_cast<size_t>(n));
  return data;
}

}  // namespace

// ktprint runs with at most 512 MiB of address space and 10 s of CPU, and is killed when
// its output stays silent for 60 s: an unbounded allocation, resize or wait fails the test
// instead of the machine.
CommandResult runKtprint(const std::string& ini, const std::vector<std::string>& args,
                         const std::vector<std::string>& env, const std::string& interruptAt) {
  static std::atomic<int> runs{0};
  std::string errPath = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                        "/ktprint_err_" + std::to_string(::getpid()) + "_" +
                        std::to_string(runs.fetch_add(1));
  int outPipe[2];
  CommandResult result;
  if (::pipe(outPipe) != 0) return result;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(outPipe[1], 1);
    int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(errFd, 2);
    ::close(outPipe[0]);
    if (!kSanitizedBuild) {
      const rlimit memory{512u << 20, 512u << 20};
      ::setrlimit(RLIMIT_AS, &memory);
    }
    const rlimit cpu{10, 10};
    ::setrlimit(RLIMIT_CPU, &cpu);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::unsetenv("LANGUAGE");
    for (const std::string& e : env) {
      const size_t eq = e.find('=');  // npos + 1 is 0: no value, unset
      if (eq + 1 >= e.size()) {
        ::unsetenv(e.substr(0, eq).c_str());
      } else {
        ::setenv(e.substr(0, eq).c_str(), e.c_str() + eq + 1, 1);
      }
    }
    std::vector<std::string> all = {KTPRINT_PATH, "--ini", ini};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  bool sent = false;  // Ctrl-C once the output shows `interruptAt`
  for (;;) {
    pollfd p{outPipe[0], POLLIN, 0};
    if (::poll(&p, 1, 60000) <= 0) {
      ::kill(pid, SIGKILL);
      break;
    }
    char buf[4096];
    const ssize_t n = ::read(outPipe[0], buf, sizeof buf);
    if (n <= 0) break;
    result.out.append(buf, static_cast<size_t>(n));
    if (!interruptAt.empty() && !sent && result.out.find(interruptAt) != std::string::npos) {
      ::kill(pid, SIGINT);
      sent = true;
    }
  }
  ::close(outPipe[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  int errFd = ::open(errPath.c_str(), O_RDONLY);
  if (errFd >= 0) {
    result.err = readAll(errFd);
    ::close(errFd);
  }
  ::unlink(errPath.c_str());
  return result;
}

}  // namespace nypr::test
