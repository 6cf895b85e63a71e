// The floor under a whole label: its 1200 raster frames (628 bytes, answered with 16) sent
// stop-and-wait over one plain TCP connection, nothing else. The same program runs
// natively and, built for Windows, on wine's Winsock, so each platform's label is weighed
// against its own sockets. One process answers (--serve, natively), the others time:
//   stop_and_wait_floor --serve --address A         prints "port=N", answers until killed
//   stop_and_wait_floor --address A --port N [--labels L]
//     prints: floor platform=... labels=L median_ms=... min_ms=... max_ms=...
// A measurement tool: plain sockets on purpose, none of the driver's. --wait-readable adds a
// select() before every receive, to price that wait on each platform.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
void closeSocket(Socket s) {
  closesocket(s);
}
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
using Socket = int;
constexpr Socket kNoSocket = -1;
void closeSocket(Socket s) {
  close(s);
}
#endif

namespace {

constexpr int kFrames = 1200;     // 6000 lines, five a frame
constexpr int kFrameBytes = 628;  // STX, 4 digits, 622 bytes of DTI payload, ETX
constexpr int kAnswerBytes = 16;  // STX, 4 digits, 10 bytes of answer, ETX

// Set by --wait-readable: a readiness wait (select) before every receive, as a receive
// time-out that the socket itself does not keep needs; its price per frame is the
// difference from the plain floor.
bool g_waitReadable = false;

bool waitReadable(Socket s) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv{10, 0};
  return select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv) == 1;
}

bool readExactly(Socket s, char* buf, int n) {
  for (int got = 0; got < n;) {
    if (g_waitReadable && !waitReadable(s)) return false;
    const int r = static_cast<int>(recv(s, buf + got, n - got, 0));
    if (r <= 0) return false;
    got += r;
  }
  return true;
}

bool sendAll(Socket s, const char* buf, int n) {
  return static_cast<int>(send(s, buf, n, 0)) == n;
}

void noDelay(Socket s) {
  int one = 1;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

sockaddr_in addressOf(const std::string& text, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  inet_pton(AF_INET, text.c_str(), &a.sin_addr);
  return a;
}

int serve(const std::string& address) {
  Socket listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a = addressOf(address, 0);
  socklen_t len = sizeof a;
  if (listener == kNoSocket || bind(listener, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
      listen(listener, 4) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    std::fprintf(stderr, "stop_and_wait_floor: cannot listen on %s\n", address.c_str());
    return 1;
  }
  std::printf("port=%u\n", ntohs(a.sin_port));
  std::fflush(stdout);
  for (;;) {
    Socket s = accept(listener, nullptr, nullptr);
    if (s == kNoSocket) return 1;
    std::thread([s] {
      noDelay(s);
      char frame[kFrameBytes];
      const char answer[kAnswerBytes + 1] =
          "\x02"
          "0010"
          "2S200DTR0\x03";
      while (readExactly(s, frame, kFrameBytes) && sendAll(s, answer, kAnswerBytes)) {
      }
      closeSocket(s);
    }).detach();
  }
}

int timeLabels(const std::string& address, uint16_t port, int labels) {
  Socket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a = addressOf(address, port);
  if (s == kNoSocket || connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    std::fprintf(stderr, "stop_and_wait_floor: cannot connect to %s:%u\n", address.c_str(), port);
    return 1;
  }
  noDelay(s);
  std::vector<char> frame(kFrameBytes, '0');
  char answer[kAnswerBytes];
  std::vector<double> ms;
  for (int label = 0; label < labels + 1; ++label) {  // the first warms up
    const auto t0 = std::chrono::steady_clock::now();
    for (int f = 0; f < kFrames; ++f) {
      if (!sendAll(s, frame.data(), kFrameBytes) || !readExactly(s, answer, kAnswerBytes)) {
        std::fprintf(stderr, "stop_and_wait_floor: the answerer went away\n");
        return 1;
      }
    }
    const auto t1 = std::chrono::steady_clock::now();
    if (label > 0) ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  closeSocket(s);
  std::sort(ms.begin(), ms.end());
  const size_t n = ms.size();
  const double median = n % 2 == 1 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
  std::printf(
      "floor platform=%s wait_readable=%d labels=%zu median_ms=%.2f min_ms=%.2f "
      "max_ms=%.2f\n",
      NYPR_BENCH_PLATFORM, g_waitReadable ? 1 : 0, n, median, ms.front(), ms.back());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string address;
  int port = 0;
  int labels = 20;
  bool serving = false;
  CLI::App app{"Times the stop-and-wait exchange of a label's raster frames on plain sockets"};
  app.add_option("-a,--address", address, "answerer's address")->required();
  app.add_option("-p,--port", port, "answerer's port")->check(CLI::Range(1, 65535));
  app.add_option("-n,--labels", labels, "labels timed")->check(CLI::Range(1, 10000));
  app.add_flag("--serve", serving, "answer frames on a free port of the address");
  app.add_flag("--wait-readable", g_waitReadable, "wait for readiness before every receive");
  CLI11_PARSE(app, argc, argv);
#ifdef _WIN32
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
#endif
  if (serving) return serve(address);
  if (port == 0) {
    std::fprintf(stderr, "stop_and_wait_floor: --port is needed\n");
    return 2;
  }
  return timeLabels(address, static_cast<uint16_t>(port), labels);
}
