#include <sys/wait.h>

#include <csignal>

#include "ktprint_runner.h"
#include "sanitized_build.h"
#include "test_process.h"

namespace nypr::test {

// ktprint runs under prlimit with at most 512 MiB of address space and 10 s of CPU, and is
// killed after two minutes: an unbounded allocation, resize or wait fails the test instead
// of the machine. An empty locale variable counts as unset.
KtprintRun runKtprint(const std::string& ini, const std::vector<std::string>& args,
                      const std::vector<std::string>& env, const std::string& interruptAt) {
  std::vector<std::string> all = {"prlimit", "--cpu=10"};
  if (!kSanitizedBuild) all.push_back("--as=536870912");
  all.insert(all.end(), {KTPRINT_PATH, "--ini", ini});
  all.insert(all.end(), args.begin(), args.end());
  std::vector<std::string> vars = env;  // before the defaults: the first of a name counts
  vars.insert(vars.end(), {"LC_ALL=C.UTF-8", "LANGUAGE="});
  const TempDir dir;
  const auto out = dir.path() / "out", err = dir.path() / "err";
  KtprintRun result;
  const pid_t pid = spawn(all, out, vars, err);
  if (pid < 0) return result;
  // Ctrl-C once the output shows `interruptAt`; a ktprint that ends first ends the wait.
  const auto ended = [pid] {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid;
  };
  if (!interruptAt.empty() &&
      pollUntil([&] { return ended() || readFile(out).find(interruptAt) != std::string::npos; },
                std::chrono::seconds(60)) &&
      !ended()) {
    ::kill(pid, SIGINT);
  }
  result.exitCode = reap(pid, std::chrono::minutes(2));
  result.out = readFile(out);
  result.err = readFile(err);
  return result;
}

}  // namespace nypr::test
