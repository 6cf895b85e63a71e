#include "test_responder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace nypr::testing {

std::string printerReply(int machineNo, const std::string& model) {
  char number[8];
  std::snprintf(number, sizeof number, "%02d", machineNo % 100);
  std::string model18 = model;
  model18.resize(18, ' ');
  // Tag, machine number, 12 characters the driver skips, then model and version.
  return std::string("MiraMachine") + number + "0123456789AB" + model18 + "##";
}

bool answerSearch(const std::vector<std::string>& replies, const std::function<void(bool)>& bound,
                  const std::function<void()>& beforeReply) {
  int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(30000);
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    if (s >= 0) close(s);
    bound(false);
    return false;
  }
  bound(true);
  bool answered = false;
  pollfd pfd{s, POLLIN, 0};
  while (!answered && poll(&pfd, 1, 5000) == 1) {
    char buf[64] = {};
    sockaddr_in from{};
    socklen_t fromLen = sizeof from;
    ssize_t n = recvfrom(s, buf, sizeof buf - 1, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n != 19 || std::memcmp(buf, "RequestMiraMachine?", 19) != 0) continue;
    for (const std::string& reply : replies) {
      if (beforeReply) beforeReply();
      sendto(s, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLen);
    }
    answered = true;
  }
  close(s);
  return answered;
}

}  // namespace nypr::testing
