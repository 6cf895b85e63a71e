#include "app_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

#include "test_data.h"

namespace nypr::test {
namespace {

using namespace std::chrono;

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

}  // namespace

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
    std::vector<std::string> options = {"state-directory=" + stateDir.string(),
                                        "server-port=" + std::to_string(port_), "status-interval=1",
                                        "log-level=info"};
    if (!address.empty()) options.push_back("listen-hostname=" + address);
    std::vector<std::string> args = {NYPR_PRINTER_APP, "server"};
    for (const std::string& option : options) args.insert(args.end(), {"-o", option});
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

ipp_t* AppServer::ippRequest(ipp_t* request, const std::string& resource) const {
  http_t* http = httpConnect2(address_.c_str(), port_, nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1,
                              5000, nullptr);
  if (!http) {
    ippDelete(request);
    return nullptr;
  }
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               uri(resource).c_str());
  ipp_t* response = cupsDoRequest(http, request, resource.c_str());
  httpClose(http);
  return response;
}

IppRun runIpptool(const std::string& uri, const std::string& test,
                  const std::vector<std::string>& vars, const std::string& file,
                  const std::filesystem::path& dir) {
  std::vector<std::string> args = {NYPR_IPPTOOL, "-tv", "-T", "20"};
  for (const std::string& v : vars) args.insert(args.end(), {"-d", v});
  if (!file.empty()) args.insert(args.end(), {"-f", file});
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

JobStatus AppTest::status(int job) {
  JobStatus status;
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
  ipp_t* response = app_->ippRequest(request, "/ipp/print/kt");
  status.state = ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0);
  const char* message =
      ippGetString(ippFindAttribute(response, "job-state-message", IPP_TAG_TEXT), 0, nullptr);
  status.message = message ? message : "";
  status.impressionsCompleted =
      ippGetInteger(ippFindAttribute(response, "job-impressions-completed", IPP_TAG_INTEGER), 0);
  ippDelete(response);
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
    // Up to the server's close, the last chunk or the end of the body that Content-Length
    // announces (each receive waits at most 15 s).
    size_t expected = std::string::npos;
    char buffer[4096];
    ssize_t n;
    while (response.size() < expected && response.find("\r\n0\r\n\r\n") == std::string::npos &&
           (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
      response.append(buffer, static_cast<size_t>(n));
      const size_t head = response.find("\r\n\r\n");
      const size_t length = response.find("Content-Length: ");
      if (head != std::string::npos && length != std::string::npos && length < head) {
        expected = head + 4 + std::stoul(response.substr(length + 16));
      }
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

void AppTest::SetUp() {
  if (std::string(NYPR_IPPTOOL).empty()) GTEST_SKIP() << "ipptool (cups-ipp-utils) not found";
  sim_.start();
  ASSERT_TRUE(app_->started()) << app_->log();
  ASSERT_TRUE(addPrinter("kt", "kt3600r://" + sim_.address()));
}

void AppTest::TearDown() {
  EXPECT_EQ(app_->stop(), 0);
  const std::string log = app_->log();
  EXPECT_EQ(log.find("Sanitizer"), std::string::npos) << log;
  EXPECT_EQ(log.find("runtime error:"), std::string::npos) << log;
}

IppRun AppTest::ipp(const std::string& resource, const std::string& test,
                    const std::vector<std::string>& vars, const std::string& file) {
  return runIpptool(app_->uri(resource), test, vars, file, dir_.path());
}

bool AppTest::addPrinter(const std::string& name, const std::string& device) {
  return ipp("/ipp/system", "create-printer.test", {"name=" + name, "device=" + device})
             .result.exitCode == 0;
}

int AppTest::print(const std::string& file, const std::vector<std::string>& vars,
                   const std::string& test) {
  const IppRun run = ipp("/ipp/print/kt", test, vars, file);
  EXPECT_GT(run.jobId, 0) << run.result.output;
  return run.jobId;
}

JobStatus AppTest::ended(int job) {
  JobStatus last;
  pollUntil(
      [&] {
        last = status(job);
        return last.state >= IPP_JSTATE_CANCELED;
      },
      seconds(60));  // a PDF job on a loaded 2-core machine; ends as soon as the job does
  return last;
}

std::string AppTest::printerAttribute(const char* name) {
  ipp_t* response = app_->ippRequest(ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES), "/ipp/print/kt");
  char text[4096] = {};
  ippAttributeString(ippFindAttribute(response, name, IPP_TAG_ZERO), text, sizeof text);
  ippDelete(response);
  return text;
}

std::string AppTest::metric(const std::string& name, const std::string& extraLabels) {
  const std::string text = metrics();
  const std::string head =
      name + "{printer=\"kt\",address=\"" + sim_.address() + "\"" + extraLabels + "} ";
  const size_t at = text.find(head);
  if (at == std::string::npos) return {};
  return text.substr(at + head.size(), text.find('\n', at) - at - head.size());
}

bool AppTest::logShows(const std::string& text, milliseconds timeout, size_t from) {
  return pollUntil([&] { return app_->log().find(text, from) != std::string::npos; }, timeout);
}

}  // namespace nypr::test
