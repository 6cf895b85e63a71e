// Bad bytes from the host, two printers side by side, discovery and the command line.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim_fixture.h"

namespace {

using namespace std::chrono_literals;
using simtest::Client;

bool logged(const ktsim::Simulator& sim, const std::string& text) {
  const auto lines = sim.logLines();
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

class SimBadFrames : public simtest::SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    ASSERT_TRUE(c_.connect(sim_.addressValue(), sim_.commandPort()));
  }
  // The connection still works after the bad bytes.
  void expectStillServing() { EXPECT_EQ(c_.exchange("2S200BZS"), "2S200BZR0"); }

  Client c_;
};

// Every byte that cannot be a frame is dropped (and recorded) up to the next STX, no more
// and no less: the good frame sent with it in one write is answered.
TEST_F(SimBadFrames, BadFramesAreDroppedAndLoggedAndTheConnectionServesOn) {
  const std::string stx(1, '\x02');
  const struct {
    std::string bytes;
    const char* logText;
  } rows[] = {
      {"hello\r\n", "no STX"},
      {stx + "00x82S200STS\x03", "bad length digits"},
      {stx + "00082S200STSX", "no ETX"},
      {stx + "1391" + std::string(1391, 'A') + "\x03", "length 1391 out of range"},
      {stx + "0000\x03", "length 0 out of range"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.logText);
    const size_t before = sim_.frames().size();
    ASSERT_TRUE(c_.sendRaw(r.bytes + simtest::frame("2S200BZS")));
    EXPECT_EQ(c_.readPayload(), "2S200BZR0");
    EXPECT_TRUE(logged(sim_, r.logText));
    const auto frames = sim_.frames();
    std::string dropped;
    for (size_t i = before; i < frames.size(); ++i) {
      if (!frames[i].valid) dropped += frames[i].bytes;
    }
    EXPECT_EQ(dropped, r.bytes);
  }
  EXPECT_TRUE(sim_.receivedFrames("STS").empty());
}

TEST_F(SimBadFrames, UnknownCodesGetNoAnswerWrongLengthsTheFailureFlag) {
  ASSERT_TRUE(c_.sendPayload("2S200QQS"));
  ASSERT_TRUE(c_.sendPayload("2S2"));
  expectStillServing();
  EXPECT_TRUE(logged(sim_, "no answer to QQS"));
  // An answer is recorded just after it went out: wait for the buzzer's, then count.
  ASSERT_TRUE(sim_.waitFor([&] { return !sim_.sentFrames().empty(); }, 2s));
  EXPECT_EQ(sim_.sentFrames().size(), 1u);

  EXPECT_EQ(c_.exchange("2S200BZSX"), "2S200BZR1");
  EXPECT_EQ(c_.exchange("2S200STSXX")[42], '1');
  EXPECT_EQ(c_.exchange("2S200LRS0")[31], '1');
  EXPECT_EQ(c_.exchange("2S200DTI00").substr(8), "01");
}

TEST_F(SimBadFrames, AFrameThatNeverCompletesIsDroppedAfterAWhile) {
  ASSERT_TRUE(c_.sendRaw(std::string(1, '\x02') + "01002S200STS"));  // promises 100, sends 8
  ASSERT_TRUE(sim_.waitFor([&] { return logged(sim_, "incomplete frame dropped"); }, 10s));
  expectStillServing();
}

TEST_F(SimBadFrames, FramesSplitAnywhereAreReassembled) {
  const std::string f = simtest::frame("2S200LES");
  for (char ch : f) ASSERT_TRUE(c_.sendRaw(std::string(1, ch)));
  EXPECT_EQ(c_.readPayload(), "2S200LER0");
  // Two frames in one write get two answers.
  ASSERT_TRUE(c_.sendRaw(simtest::frame("2S200BZS") + simtest::frame("2S200LES")));
  EXPECT_EQ(c_.readPayload(), "2S200BZR0");
  EXPECT_EQ(c_.readPayload(), "2S200LER0");
}

TEST(SimSideBySide, AnAddressAlreadyTakenIsRefusedAndStopRestarts) {
  ktsim::Simulator a;
  a.start();
  ktsim::Options o;
  o.address = a.address();
  ktsim::Simulator b(o);
  EXPECT_THROW(b.start(), std::runtime_error);
  const std::string address = a.address();
  a.stop();
  EXPECT_FALSE(a.running());
  b.start();  // the address is free again
  EXPECT_EQ(b.address(), address);
  EXPECT_EQ(simtest::exchangeOnce(b.addressValue(), b.commandPort(), "2S200LES"), "2S200LER0");
}

// Tag, machine number, MAC address and the model text cut or padded to 18 characters.
TEST(SimDiscovery, AnswersTheSearchWithMachineNumberAndModel) {
  ktsim::Options o;
  o.discovery = true;
  o.discoveryPort = 0;  // any free port on the simulator's own address
  ktsim::Simulator sim(o);
  sim.setAddresses("00809200ABCD", 0x0A000005u, 0xFF000000u, 0x0A000001u);
  sim.start();
  ASSERT_NE(sim.discoveryPort(), 0);
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(sim.discoveryPort());
  to.sin_addr.s_addr = htonl(sim.addressValue());
  for (const auto& [model, shown] :
       {std::pair{"KT-3600R", "KT-3600R          "},
        std::pair{"KT-3600R Ver2.50 with more text", "KT-3600R Ver2.50 w"}}) {
    SCOPED_TRACE(model);
    sim.setDiscoveryIdentity(7, model);
    const std::string request = "RequestMiraMachine?";
    ASSERT_EQ(::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to),
                       sizeof to),
              19);
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 3000), 1);
    char buf[256] = {};
    sockaddr_in from{};
    socklen_t len = sizeof from;
    const ssize_t n =
        ::recvfrom(fd, buf, sizeof buf - 1, 0, reinterpret_cast<sockaddr*>(&from), &len);
    EXPECT_EQ(std::string(buf, static_cast<size_t>(std::max<ssize_t>(n, 0))),
              std::string("MiraMachine07") + "00809200ABCD" + shown);
    EXPECT_EQ(ntohl(from.sin_addr.s_addr), sim.addressValue());
  }
  ::close(fd);
}

// Runs the executable through the shell; returns its exit status, with its standard error
// in `err`. With `talk`, it is asked once on the address it listens on, then told to stop.
int runSim(const std::string& args, std::string* err, bool talk) {
  // The shell names its process, then becomes the simulator.
  FILE* p =
      ::popen(("echo $$; exec " + std::string(KTSIM_EXE) + " " + args + " 2>&1").c_str(), "r");
  if (p == nullptr) return -1;
  char line[512];
  const pid_t pid = std::fgets(line, sizeof line, p) ? std::atoi(line) : 0;
  err->clear();
  while (std::fgets(line, sizeof line, p) != nullptr) {
    *err += line;
    const char* at = std::strstr(line, "listening on ");
    if (!talk || at == nullptr || pid <= 0) continue;
    in_addr a{};
    ::inet_pton(AF_INET, std::string(at + 13, std::strcspn(at + 13, " \n")).c_str(), &a);
    if (simtest::exchangeOnce(ntohl(a.s_addr), 10000, "2S200BZS") != "2S200BZR0")
      *err += "[no answer]";
    ::kill(pid, SIGTERM);
    talk = false;
  }
  const int status = ::pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SimCommandLine, StartsAnswersAndStopsCleanlyOnSigterm) {
  std::string err;
  EXPECT_EQ(runSim("--address random --time-scale 0", &err, true), 0) << err;
  EXPECT_EQ(err.find("[no answer]"), std::string::npos) << err;
  EXPECT_NE(err.find("stopping"), std::string::npos) << err;
}

TEST(SimCommandLine, BadOptionsFailWithAMessage) {
  std::string err;
  EXPECT_NE(runSim("--no-such-option", &err, false), 0);
  EXPECT_NE(runSim("--time-scale -1", &err, false), 0);
  EXPECT_NE(err.find("time-scale"), std::string::npos) << err;
  EXPECT_EQ(runSim("--address not-an-address", &err, false), 1);
  EXPECT_NE(err.find("bad address"), std::string::npos) << err;
}

}  // namespace
