// A private CUPS scheduler for tests: cupsd as an ordinary process on a free port of the
// loopback address, with its own server root, spool, logs and a ServerBin that links the
// system's filters and holds copies of our backend, its libraries, filter and PPD, which
// the CUPS user must read wherever the build tree is (nothing is installed into the
// system).
// The command-line clients run against it; job and printer states are read over IPP.
#pragma once

#include <cups/cups.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_process.h"

namespace nypr::test {

struct PrinterStatus {
  ipp_pstate_t state = IPP_PSTATE_IDLE;
  std::vector<std::string> reasons;
  std::string message;
  bool hasReason(const std::string& reason) const;
};

class CupsServer {
 public:
  CupsServer();
  ~CupsServer();
  CupsServer(const CupsServer&) = delete;
  CupsServer& operator=(const CupsServer&) = delete;

  // Empty when the scheduler runs; otherwise why it cannot (tests skip with it).
  const std::string& unavailableReason() const { return reason_; }

  // A client command (lpadmin, lp, lpstat, cancel, lpinfo, ...) against this server.
  CommandResult run(const std::vector<std::string>& args) const;
  // Adds an enabled queue for the printer at `address` with the project's PPD, which stops
  // on a printer fault (the error policy a label printer wants).
  bool addQueue(const std::string& name, const std::string& address) const;
  // Submits `file` with `options` (lp -o ...); the job id, or 0 with the output logged.
  int print(const std::string& queue, const std::string& file,
            const std::vector<std::string>& lpArgs) const;

  ipp_jstate_t jobState(int jobId) const;
  PrinterStatus printerStatus(const std::string& queue) const;

  const std::filesystem::path& dir() const { return dir_; }
  std::string errorLog() const;  // the scheduler's log, for failure messages

 private:
  void start();
  http_t* connect() const;
  // `operation` on `uri` (given as the `target` attribute); the response, null when the
  // scheduler cannot be reached.
  ipp_t* ask(ipp_op_t operation, const char* target, const std::string& uri) const;

  std::string reason_;
  std::filesystem::path dir_;
  int port_ = 0;
  pid_t pid_ = -1;
};

}  // namespace nypr::test
