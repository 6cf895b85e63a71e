#include "cups_server.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "test_data.h"

namespace nypr::test {
namespace fs = std::filesystem;
namespace {

constexpr char kSystemServerBin[] = "/usr/lib/cups";
constexpr char kSystemDataDir[] = "/usr/share/cups";

void link(const fs::path& target, const fs::path& name) {
  std::error_code ec;
  fs::create_symlink(target, name, ec);
}

// A copy, not a link: the scheduler's helpers run as the CUPS user, who may not be able to
// enter the build tree (a checkout in a private home or temporary folder).
void copyIn(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) ADD_FAILURE() << "cannot copy " << from << ": " << ec.message();
}

// Links every entry of `from` into `to`, except those named in `skip`.
void linkEntries(const fs::path& from, const fs::path& to, const std::vector<std::string>& skip) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(from, ec)) {
    const std::string name = entry.path().filename().string();
    if (std::find(skip.begin(), skip.end(), name) == skip.end()) link(entry.path(), to / name);
  }
}

// A configuration file from tests/data/cups with @PORT@ and @DIR@ filled in.
void writeConfig(const fs::path& dir, const char* name, int port) {
  std::string text = nypr::testing::readTestData(std::string("cups/") + name);
  for (const auto& [key, value] :
       {std::pair<std::string, std::string>{"@PORT@", std::to_string(port)},
        {"@DIR@", dir.string()}}) {
    for (size_t at; (at = text.find(key)) != std::string::npos;)
      text.replace(at, key.size(), value);
  }
  std::ofstream(dir / name) << text;
}

}  // namespace

bool PrinterStatus::hasReason(const std::string& reason) const {
  return std::find(reasons.begin(), reasons.end(), reason) != reasons.end();
}

CupsServer::CupsServer() {
  if (::access("/usr/sbin/cupsd", X_OK) != 0) {
    reason_ = "cupsd is not installed (package cups-daemon)";
    return;
  }
  if (::access((std::string(kSystemServerBin) + "/daemon/cups-deviced").c_str(), X_OK) != 0) {
    reason_ = "the CUPS helper programs are not installed (package cups)";
    return;
  }
  start();
}

void CupsServer::start() {
  dir_ = fs::temp_directory_path() / ("nypr_cupsd_" + std::to_string(::getpid()));
  fs::remove_all(dir_);
  for (const char* sub : {"bin/backend", "bin/filter", "bin/lib", "share/model/nyprkt3600r",
                          "spool/temp", "log", "cache", "state"}) {
    fs::create_directories(dir_ / sub);
  }
  // A scheduler running as root hands jobs to the CUPS user, which must reach its files.
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
  linkEntries(kSystemServerBin, dir_ / "bin", {"backend", "filter"});
  linkEntries(fs::path(kSystemServerBin) / "filter", dir_ / "bin/filter", {});
  // What the build made: the filter, the backend and the libraries it finds in ../lib
  // under the names it asks for, and the PPD.
  copyIn(NYPR_CUPS_FILTER, dir_ / "bin/filter/rastertokt3600r");
  copyIn(NYPR_CUPS_BACKEND, dir_ / "bin/backend/kt3600r");
  for (const fs::path lib : {NYPR_CUPS_MODULE_LIB, NYPR_CUPS_HOST_LIB}) {
    copyIn(lib, dir_ / "bin/lib" / lib.filename());
  }
  linkEntries(kSystemDataDir, dir_ / "share", {"model"});
  copyIn(NYPR_CUPS_PPD, dir_ / "share/model/nyprkt3600r/kt3600r.ppd");

  port_ = freeLoopbackPort();
  writeConfig(dir_, "cupsd.conf", port_);
  writeConfig(dir_, "cups-files.conf", port_);
  pid_ = spawn({"/usr/sbin/cupsd", "-f", "-c", (dir_ / "cupsd.conf").string(), "-s",
                (dir_ / "cups-files.conf").string()},
               dir_ / "log/cupsd.out");
  if (pid_ < 0) {
    reason_ = "cannot start cupsd";
    return;
  }
  const bool up = pollUntil(
      [&] {
        http_t* http = connect();
        if (http != nullptr) httpClose(http);
        return http != nullptr;
      },
      std::chrono::seconds(10));
  if (!up) {
    reason_ = "cupsd did not start:\n" + readFile(dir_ / "log/cupsd.out") +
              readFile(dir_ / "log/error_log");
  }
}

CupsServer::~CupsServer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    reap(pid_, std::chrono::seconds(30));
  }
  std::error_code ec;
  if (!dir_.empty() && std::getenv("NYPR_KEEP_CUPSD") == nullptr) fs::remove_all(dir_, ec);
}

http_t* CupsServer::connect() const {
  return httpConnect2("127.0.0.1", port_, nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1, 2000,
                      nullptr);
}

CommandResult CupsServer::run(const std::vector<std::string>& args) const {
  return runCommand(args, dir_ / "log", std::chrono::seconds(30),
                    {"CUPS_SERVER=127.0.0.1:" + std::to_string(port_), "LC_ALL=C.UTF-8"});
}

bool CupsServer::addQueue(const std::string& name, const std::string& address) const {
  auto r = run({"lpadmin", "-p", name, "-E", "-v", "kt3600r://" + address, "-m",
                "nyprkt3600r/kt3600r.ppd", "-o", "printer-error-policy=stop-printer"});
  if (r.exitCode != 0) ADD_FAILURE() << "lpadmin: " << r.output;
  return r.exitCode == 0;
}

int CupsServer::print(const std::string& queue, const std::string& file,
                      const std::vector<std::string>& lpArgs) const {
  std::vector<std::string> args = {"lp", "-d", queue};
  args.insert(args.end(), lpArgs.begin(), lpArgs.end());
  args.push_back(file);
  auto r = run(args);
  const auto at = r.output.find("request id is " + queue + "-");
  if (r.exitCode != 0 || at == std::string::npos) {
    ADD_FAILURE() << "lp: " << r.output;
    return 0;
  }
  return std::atoi(r.output.c_str() + at + 15 + queue.size());
}

ipp_t* CupsServer::ask(ipp_op_t operation, const char* target, const std::string& uri) const {
  http_t* http = connect();
  if (http == nullptr) return nullptr;
  ipp_t* request = ippNewRequest(operation);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, target, nullptr, uri.c_str());
  ipp_t* response = cupsDoRequest(http, request, "/");
  httpClose(http);
  return response;
}

ipp_jstate_t CupsServer::jobState(int jobId) const {
  ipp_t* response =
      ask(IPP_OP_GET_JOB_ATTRIBUTES, "job-uri", "ipp://localhost/jobs/" + std::to_string(jobId));
  ipp_attribute_t* a = ippFindAttribute(response, "job-state", IPP_TAG_ENUM);
  const auto state = a ? static_cast<ipp_jstate_t>(ippGetInteger(a, 0)) : IPP_JSTATE_PENDING;
  ippDelete(response);
  return state;
}

PrinterStatus CupsServer::printerStatus(const std::string& queue) const {
  PrinterStatus status;
  ipp_t* response =
      ask(IPP_OP_GET_PRINTER_ATTRIBUTES, "printer-uri", "ipp://localhost/printers/" + queue);
  if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM)) {
    status.state = static_cast<ipp_pstate_t>(ippGetInteger(a, 0));
  }
  if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state-reasons", IPP_TAG_KEYWORD)) {
    for (int i = 0; i < ippGetCount(a); ++i)
      status.reasons.emplace_back(ippGetString(a, i, nullptr));
  }
  if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT)) {
    status.message = ippGetString(a, 0, nullptr);
  }
  ippDelete(response);
  return status;
}

std::string CupsServer::errorLog() const {
  return readFile(dir_ / "log/error_log");
}

}  // namespace nypr::test
