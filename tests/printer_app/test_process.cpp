#include "test_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace nypr::test {

using namespace std::chrono;

pid_t spawn(const std::vector<std::string>& args, const std::filesystem::path& output,
            const std::vector<std::string>& env, const std::filesystem::path& errors) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (errors.empty()) {
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  } else {
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
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
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
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
