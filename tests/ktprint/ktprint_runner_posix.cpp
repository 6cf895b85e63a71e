#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <string>

#include "ktprint_runner.h"

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
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::unsetenv("LANGUAGE");
    for (const std::string& e : env) {
      size_t eq = e.find('=');
      std::string name = e.substr(0, eq);
      std::string value = eq == std::string::npos ? "" : e.substr(eq + 1);
      if (value.empty()) {
        ::unsetenv(name.c_str());
      } else {
        ::setenv(name.c_str(), value.c_str(), 1);
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
  if (interruptAt.empty()) {
    result.out = readAll(outPipe[0]);
  } else {
    // Ctrl-C once the output shows `interruptAt`.
    char buf[4096];
    ssize_t n;
    bool sent = false;
    while ((n = ::read(outPipe[0], buf, sizeof buf)) > 0) {
      result.out.append(buf, static_cast<size_t>(n));
      if (!sent && result.out.find(interruptAt) != std::string::npos) {
        ::kill(pid, SIGINT);
        sent = true;
      }
    }
  }
  ::close(outPipe[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  int errFd = ::open(errPath.c_str(), O_RDONLY);
  if (errFd >= 0) {
    result.err = readAll(errFd);
    ::close(errFd);
  }
  ::unlink(errPath.c_str());
  return result;
}

}  // namespace nypr::test
