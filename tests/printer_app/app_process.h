// kt3600r-printer-app as a test runs it: a server on a free loopback port with a state
// directory of its own, the command-line clients (ipptool) with a deadline, and the
// fixture that puts the simulated printer behind it.
#pragma once

#include <cups/cups.h>
#include <gtest/gtest.h>
#include <sys/types.h>

#include <memory>

#include "label_files.h"
#include "test_process.h"

namespace nypr::test {

struct HttpResponse {
  int status = 0;       // 0 when the exchange failed
  std::string headers;  // the header lines as received
  std::string body;     // a chunked body decoded
  // The value of cookie `name` the response sets, "" when none.
  std::string cookie(const std::string& name) const;
};

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
  std::string uri(const std::string& path) const;  // ipp://127.0.0.1:PORT/path
  std::string log() const;
  // One request; `form` (application/x-www-form-urlencoded) is sent with a POST,
  // `headers` ("Name: value\r\n" lines) with either.
  HttpResponse httpRequest(const std::string& method, const std::string& path,
                           const std::string& form = {}, const std::string& headers = {}) const;
  // `request` to `resource` with its printer-uri; the response (ippDelete it), null when
  // the server cannot be reached.
  ipp_t* ippRequest(ipp_t* request, const std::string& resource) const;

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

// The application with printer "kt" on the simulated printer; it must end cleanly,
// without a sanitizer's report (asan build).
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  IppRun ipp(const std::string& resource, const std::string& test,
             const std::vector<std::string>& vars, const std::string& file = {});
  bool addPrinter(const std::string& name, const std::string& device);
  // Print-Job of `file` on printer "kt" with `vars` (copies=N among them); the job id, 0
  // when refused.
  int print(const std::string& file, const std::vector<std::string>& vars,
            const std::string& test = "print-job.test");
  JobStatus status(int job);  // of printer "kt"
  // Waits until the job has ended (canceled, aborted or completed); its last status.
  JobStatus ended(int job);
  // A printer attribute of printer "kt" as text, "" when absent.
  std::string printerAttribute(const char* name);
  // The value of one /metrics series of printer "kt", "" when absent.
  std::string metric(const std::string& name, const std::string& extraLabels = "");
  std::string metrics() const { return app_->httpRequest("GET", "/metrics").body; }
  // Whether the log shows `text` (after its first `from` bytes) within `timeout`.
  bool logShows(const std::string& text, std::chrono::milliseconds timeout, size_t from = 0);

  TempDir dir_;
  ktsim::Simulator sim_;
  std::unique_ptr<AppServer> app_ = std::make_unique<AppServer>(dir_.path(), "127.0.0.1");
};

}  // namespace nypr::test
