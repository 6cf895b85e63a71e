#include "app_process.h"

#include <arpa/inet.h>
#include <cups/cups.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

extern char** environ;

namespace nypr::test {
namespace {

using namespace std::chrono;

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

int connectTo(const std::string& address, int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  ::inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
  timeval tv{15, 0};  // generous: a loaded machine (the sanitizers, two builds) answers slowly
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

pid_t spawn(const std::vector<std::string>& args, const std::filesystem::path& output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Waits for `pid` until `timeout`; its exit code, or -1 (then killed and reaped).
int reap(pid_t pid, milliseconds timeout) {
  int status = 0;
  const bool ended = pollUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, timeout);
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

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
                         milliseconds timeout) {
  CommandResult result;
  const auto output = dir / "command.out";
  const pid_t pid = spawn(args, output);
  if (pid < 0) return result;
  result.exitCode = reap(pid, timeout);
  result.output = readFile(output);
  return result;
}

AppServer::AppServer(const std::filesystem::path& stateDir, const std::string& address)
    : dir_(stateDir), address_(address.empty() ? "127.0.0.1" : address) {
  // Under the asan build, what PAPPL keeps until exit is not the application's leak.
  const std::string lsan = "suppressions=" + std::string(NYPR_TEST_DATA_DIR) +
                           "/printer_app/lsan.supp:print_suppressions=0";
  ::setenv("LSAN_OPTIONS", lsan.c_str(), 0);
  // A free port can be taken by another program before the server binds it: the server
  // then exits, and another port is tried.
  for (int attempt = 0; attempt < 3 && !started_; ++attempt) {
    port_ = freeLoopbackPort();
    std::vector<std::string> args = {NYPR_PRINTER_APP,
                                     "server",
                                     "-o",
                                     "state-directory=" + stateDir.string(),
                                     "-o",
                                     "server-port=" + std::to_string(port_),
                                     "-o",
                                     "status-interval=1",
                                     "-o",
                                     "log-level=info"};
    if (!address.empty()) {
      args.push_back("-o");
      args.push_back("listen-hostname=" + address);
    }
    pid_ = spawn(args, dir_ / "app.log");
    if (pid_ < 0) return;
    bool exited = false;
    started_ = pollUntil(
        [&] {
          if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return exited = true;
          const int fd = connectTo(address_, port_);
          if (fd >= 0) ::close(fd);
          return fd >= 0;
        },
        seconds(10));
    if (exited) pid_ = -1;
    started_ = started_ && !exited;
  }
}

AppServer::~AppServer() {
  stop();
}

int AppServer::stop() {
  if (pid_ <= 0) return exitCode_;
  ::kill(pid_, SIGTERM);
  exitCode_ = reap(pid_, seconds(10));
  pid_ = -1;
  return exitCode_;
}

std::string AppServer::uri(const std::string& path) const {
  return "ipp://" + address_ + ":" + std::to_string(port_) + path;
}

std::string AppServer::log() const {
  return readFile(dir_ / "app.log");
}

std::string AppServer::httpGet(const std::string& path) const {
  const int fd = connectTo(address_, port_);
  if (fd < 0) return {};
  const std::string request = "GET " + path + " HTTP/1.1\r\nHost: " + address_ + ":" +
                              std::to_string(port_) + "\r\nConnection: close\r\n\r\n";
  std::string response;
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
      static_cast<ssize_t>(request.size())) {
    // Up to the end of the body that Content-Length announces, or of the connection.
    size_t expected = std::string::npos;
    char buffer[4096];
    ssize_t n;
    while (response.size() < expected && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
      response.append(buffer, static_cast<size_t>(n));
      const size_t head = response.find("\r\n\r\n");
      const size_t length = response.find("Content-Length: ");
      if (head != std::string::npos && length != std::string::npos && length < head) {
        expected = head + 4 + std::stoul(response.substr(length + 16));
      }
    }
  }
  ::close(fd);
  if (response.size() < 12 || response.compare(9, 3, "200") != 0) return {};
  const size_t body = response.find("\r\n\r\n");
  return body == std::string::npos ? std::string() : response.substr(body + 4);
}

IppRun runIpptool(const std::string& uri, const std::string& test,
                  const std::vector<std::string>& vars, const std::string& file,
                  const std::filesystem::path& dir) {
  std::vector<std::string> args = {NYPR_IPPTOOL, "-tv", "-T", "20"};
  for (const std::string& v : vars) {
    args.push_back("-d");
    args.push_back(v);
  }
  if (!file.empty()) {
    args.push_back("-f");
    args.push_back(file);
  }
  args.push_back(uri);
  args.push_back(std::string(NYPR_TEST_DATA_DIR) + "/printer_app/" + test);
  IppRun run;
  run.result = runCommand(args, dir);
  std::smatch m;
  if (run.result.exitCode == 0 &&
      std::regex_search(run.result.output, m, std::regex("job-id \\(integer\\) = (\\d+)"))) {
    run.jobId = std::stoi(m[1]);
  }
  return run;
}

JobStatus jobStatus(const AppServer& app, const std::string& printer, int job) {
  JobStatus status;
  http_t* http = httpConnect2("127.0.0.1", app.port(), nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1,
                              5000, nullptr);
  if (!http) return status;
  const std::string resource = "/ipp/print/" + printer;
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               app.uri(resource).c_str());
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
  ipp_t* response = cupsDoRequest(http, request, resource.c_str());
  httpClose(http);
  status.state = ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0);
  const char* message =
      ippGetString(ippFindAttribute(response, "job-state-message", IPP_TAG_TEXT), 0, nullptr);
  status.message = message ? message : "";
  status.impressionsCompleted =
      ippGetInteger(ippFindAttribute(response, "job-impressions-completed", IPP_TAG_INTEGER), 0);
  ippDelete(response);
  return status;
}

JobStatus waitForJobEnd(const AppServer& app, const std::string& printer, int job,
                        milliseconds timeout) {
  JobStatus status;
  pollUntil(
      [&] {
        status = jobStatus(app, printer, job);
        return status.state >= IPP_JSTATE_CANCELED;
      },
      timeout);
  return status;
}

std::string HttpResponse::cookie(const std::string& name) const {
  const std::string key = "Set-Cookie: " + name + "=";
  const size_t at = headers.find(key);
  if (at == std::string::npos) return {};
  const size_t start = at + key.size();
  return headers.substr(start, headers.find_first_of(";\r", start) - start);
}

HttpResponse AppServer::httpRequest(const std::string& method, const std::string& path,
                                    const std::string& form, const std::string& headers) const {
  HttpResponse result;
  const int fd = connectTo(address_, port_);
  if (fd < 0) return result;
  std::string request = method + " " + path + " HTTP/1.1\r\nHost: " + address_ + ":" +
                        std::to_string(port_) + "\r\nConnection: close\r\n" + headers;
  if (method == "POST") {
    request += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
               std::to_string(form.size()) + "\r\n";
  }
  request += "\r\n" + form;
  std::string response;
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
      static_cast<ssize_t>(request.size())) {
    char buffer[4096];
    ssize_t n;
    // Up to the server's close or the last chunk (each receive waits at most 15 s).
    while (response.find("\r\n0\r\n\r\n") == std::string::npos &&
           (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
      response.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  const size_t head = response.find("\r\n\r\n");
  if (response.size() < 12 || head == std::string::npos) return result;
  result.status = std::atoi(response.c_str() + 9);
  result.headers = response.substr(0, head + 2);
  std::string body = response.substr(head + 4);
  if (result.headers.find("Transfer-Encoding: chunked") == std::string::npos) {
    result.body = body;
    return result;
  }
  for (size_t pos = 0; pos < body.size();) {
    const size_t line = body.find("\r\n", pos);
    if (line == std::string::npos) break;
    const size_t size = std::strtoul(body.c_str() + pos, nullptr, 16);
    if (size == 0 || line + 2 + size > body.size()) break;
    result.body.append(body, line + 2, size);
    pos = line + 2 + size + 2;
  }
  return result;
}

}  // namespace nypr::test
