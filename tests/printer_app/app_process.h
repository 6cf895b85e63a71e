// kt3600r-printer-app as a test runs it: a server on a free loopback port with a state
// directory of its own, and the command-line clients (ipptool) with a deadline.
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

struct HttpResponse {
  int status = 0;       // 0 when the exchange failed
  std::string headers;  // the header lines as received
  std::string body;     // a chunked body decoded
  // The value of cookie `name` the response sets, "" when none.
  std::string cookie(const std::string& name) const;
};

struct CommandResult {
  int exitCode = -1;   // -1 when it did not end in time (it is then killed)
  std::string output;  // standard output and error
};

// Runs `args` (args[0] is the program) with its output in `dir`; gives up after `timeout`.
CommandResult runCommand(const std::vector<std::string>& args, const std::filesystem::path& dir,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

class AppServer {
 public:
  // Starts `kt3600r-printer-app server` (listening on `address` alone when one is given,
  // else where it does by default) and waits until it accepts connections on `address`
  // (127.0.0.1 by default); started() tells whether it did.
  explicit AppServer(const std::filesystem::path& stateDir, const std::string& address = {});
  ~AppServer();
  // Stops the server (SIGTERM) and waits for it; its exit code, -1 when it had to be killed
  // (or never ran). Again after that: the same code.
  int stop();
  bool started() const { return started_; }
  int port() const { return port_; }
  pid_t pid() const { return pid_; }
  std::string uri(const std::string& path) const;  // ipp://127.0.0.1:PORT/path
  std::string log() const;
  // GET `path` over HTTP; the body, "" when it failed.
  std::string httpGet(const std::string& path) const;
  // One request; `form` (application/x-www-form-urlencoded) is sent with a POST,
  // `headers` ("Name: value\r\n" lines) with either.
  HttpResponse httpRequest(const std::string& method, const std::string& path,
                           const std::string& form = {}, const std::string& headers = {}) const;

 private:
  std::filesystem::path dir_;
  std::string address_;
  int port_ = 0;
  pid_t pid_ = -1;
  int exitCode_ = -1;
  bool started_ = false;
};

// ipptool (-tv, 20 s per request) running tests/data/printer_app/`test` against `uri`, with
// `vars` as -d name=value and `file` as the document; `jobId` from its answer, 0 when none.
struct IppRun {
  CommandResult result;
  int jobId = 0;
};
IppRun runIpptool(const std::string& uri, const std::string& test,
                  const std::vector<std::string>& vars, const std::string& file,
                  const std::filesystem::path& dir);

// A job as Get-Job-Attributes shows it (state 0 when it could not be asked).
struct JobStatus {
  int state = 0;
  std::string message;  // job-state-message
  int impressionsCompleted = 0;
};
JobStatus jobStatus(const AppServer& app, const std::string& printer, int job);
// Waits until the job has ended (canceled, aborted or completed); its last status.
JobStatus waitForJobEnd(const AppServer& app, const std::string& printer, int job,
                        std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Polls `condition` every 20 ms until it holds or `timeout` passes.
bool pollUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

}  // namespace nypr::test
