// Lengths a test hands the simulator (fault delays and skews of any size) and a host that
// floods its printer port: each within bounds, none overflowing. Waits of +-2^63 ms are
// checked through the remote control (remote_doors_test.cpp).
#include <climits>
#include <future>
#include <optional>

#include "ktsim/frame.h"
#include "ktsim/socket.h"
#include "sim_fixture.h"

namespace simtest {
namespace {

using namespace std::chrono_literals;
using ktsim::Millis;

class SimDoors : public SimFixture {};

TEST_F(SimDoors, FaultLengthsAreSaturated) {
  // Two delays of 2^63 ms add up to the longest wait, not to a negative one; the answer
  // waits, and stopping the simulator ends the wait.
  ktsim::Fault delay;
  delay.code = "STS";
  delay.action = ktsim::FaultAction::Delay;
  delay.delay = Millis::max();
  sim_.addFault(delay);
  sim_.addFault(delay);
  Client delayed = connect();
  ASSERT_TRUE(delayed.sendPayload("2S200STS"));
  EXPECT_EQ(delayed.readFrame(300), std::nullopt);

  // A skew of INT_MAX announces the most the length digits hold.
  ktsim::Fault skew;
  skew.code = "BZS";
  skew.action = ktsim::FaultAction::LengthDigits;
  skew.number = INT_MAX;
  sim_.addFault(skew);
  ktsim::Socket skewed = ktsim::Socket::connectTo(sim_.addressValue(), sim_.commandPort());
  ASSERT_TRUE(skewed.sendAll(ktsim::makeFrame("2S200BZS")));
  std::string head(5, '\0');
  ASSERT_TRUE(skewed.receiveExact(head.data(), head.size(), 3000));
  EXPECT_EQ(head.substr(1), "9999");

  auto stopped = std::async(std::launch::async, [&] { sim_.stop(); });
  EXPECT_EQ(stopped.wait_for(5s), std::future_status::ready);
}

TEST_F(SimDoors, TheFrameRecordKeepsTheNewestWithinItsBound) {
  // 50 000 unknown commands of the longest payload: about 70 MB on the wire.
  constexpr int kFrames = 50000;
  Client flood = connect();
  std::string payload = "2S200ZZZ" + std::string(1382, '7');
  std::string batch;
  for (int i = 0; i < kFrames; ++i) {
    std::string numbered = payload;
    numbered.replace(8, 5, std::to_string(10000 + i));
    batch += frame(numbered);
    if (batch.size() > (1u << 20) || i == kFrames - 1) {
      ASSERT_TRUE(flood.sendRaw(batch));
      batch.clear();
    }
  }
  // Frames are taken in order: once this is answered, the flood is recorded.
  ASSERT_EQ(flood.exchange("2S200BZS", 60000), "2S200BZR0");
  ASSERT_TRUE(sim_.waitFor([&] { return !sim_.sentFrames("BZR").empty(); }, 5s));
  const auto frames = sim_.frames();
  ASSERT_GE(frames.size(), 3u);
  EXPECT_LT(frames.size(), static_cast<size_t>(kFrames));
  EXPECT_GT(frames.size(), static_cast<size_t>(kFrames) / 2);
  const auto& newest = frames[frames.size() - 3];
  EXPECT_EQ(newest.bytes.size(), 1396u);
  EXPECT_EQ(newest.bytes.substr(13, 5), std::to_string(10000 + kFrames - 1));
  EXPECT_EQ(frames[frames.size() - 2].bytes, frame("2S200BZS"));
  EXPECT_EQ(frames.back().bytes, frame("2S200BZR0"));
  EXPECT_NE(frames.front().bytes.substr(13, 5), "10000");  // the oldest were dropped
}

}  // namespace
}  // namespace simtest
