// The native simulator's control port against a client that misbehaves: lengths beyond
// what any call needs, a message that stops half way, waits of ±2^63 ms.
#include <gtest/gtest.h>

#include <thread>

#include "ktsim/simulator.h"
#include "ktsim/socket.h"
#include "remote_codec.h"
#include "remote_host.h"
#include "remote_protocol.h"

namespace ktsim::remote {
namespace {

using namespace std::chrono_literals;

constexpr uint32_t kLoopback = 0x7F000001;

class ControlPort : public ::testing::Test {
 protected:
  void SetUp() override {
    Socket probe = Socket::listenOn(kLoopback, 0, 1);
    port_ = probe.localPort();
    probe.close();
    process_ = ChildProcess::spawn(nativeSimulatorPath(),
                                   {"--control", "127.0.0.1:" + std::to_string(port_)});
    owner_ = connect();
    ASSERT_TRUE(owner_.valid());
    ASSERT_TRUE(call(owner_, Op::Create, Options{}));
    ASSERT_TRUE(call(owner_, Op::Start));
  }
  void TearDown() override {
    owner_.close();
    process_.reap(5000ms);
  }
  Socket connect() const {
    for (int i = 0; i < 400; ++i) {
      Socket s = Socket::connectTo(kLoopback, port_);
      if (s.valid()) return s;
      std::this_thread::sleep_for(5ms);
    }
    return {};
  }
  // One call; its answer's bytes after the status, or nullopt when none came or it failed.
  template <class... A>
  std::optional<std::string> call(Socket& s, Op op, const A&... args) {
    Writer request;
    request(op, args...);
    if (!sendMessage(s, request.bytes())) return std::nullopt;
    auto answer = receiveMessage(s, 10000);
    if (!answer || answer->empty() || (*answer)[0] != char(Status::Ok)) return std::nullopt;
    return answer->substr(1);
  }
  template <class R, class... A>
  R result(Socket& s, Op op, const A&... args) {
    auto bytes = call(s, op, args...);
    EXPECT_TRUE(bytes.has_value());
    R value{};
    if (bytes) {
      Reader in(*bytes);
      in(value);
    }
    return value;
  }

  uint16_t port_ = 0;
  ChildProcess process_;
  Socket owner_;
};

TEST_F(ControlPort, OversizedAndStalledRequestsCloseTheirConnectionOnly) {
  const struct {
    const char* what;
    std::string bytes;
  } rows[] = {
      {"a length of 1 MiB and one byte", std::string("\x01\x00\x10\x00", 4)},
      {"a length of 64 and ten bytes of it", std::string("\x40\x00\x00\x00", 4) + "0123456789"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Socket c = connect();
    ASSERT_TRUE(c.sendAll(row.bytes));
    // The message's bytes come within 5 s or never.
    EXPECT_TRUE(c.endOfStream(8000));
  }
  EXPECT_TRUE(result<bool>(owner_, Op::Running));
}

TEST_F(ControlPort, WaitsOfAnyLengthEndAsAsked) {
  const uint32_t ip = result<uint32_t>(owner_, Op::AddressValue);
  const uint16_t commandPort = result<uint16_t>(owner_, Op::CommandPort);
  EXPECT_FALSE(result<bool>(owner_, Op::WaitForJobEnd, Millis::min()));
  EXPECT_FALSE(
      result<bool>(owner_, Op::WaitForConnections, Port::Command, uint64_t{1}, Millis::min()));
  // +2^63 ms: the wait lasts until the connection comes.
  bool came = false;
  std::thread waiter([&] {
    Socket other = connect();
    came = result<bool>(other, Op::WaitForConnections, Port::Command, uint64_t{1}, Millis::max());
  });
  std::this_thread::sleep_for(200ms);
  Socket printer = Socket::connectTo(ip, commandPort);
  EXPECT_TRUE(printer.valid());
  waiter.join();
  EXPECT_TRUE(came);
}

}  // namespace
}  // namespace ktsim::remote
