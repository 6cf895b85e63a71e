// Runs the ktprint command line as a user would, capturing what it prints.
#pragma once

#include <string>
#include <vector>

namespace nypr::test {

struct KtprintRun {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// ktprint with `args`, its INI file set with --ini (POSIX: in the UTF-8 C locale); `env`
// entries ("NAME=value", an empty value unsets) change the environment after that. A
// non-empty `interruptAt` sends it SIGINT (Ctrl-C) once its standard output shows that
// text (POSIX only; ktprint_runner_win32.cpp starts ktprint.exe, its text-mode line ends
// read as "\n").
KtprintRun runKtprint(const std::string& ini, const std::vector<std::string>& args,
                      const std::vector<std::string>& env = {},
                      const std::string& interruptAt = "");

}  // namespace nypr::test
