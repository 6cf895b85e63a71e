// The simulator API through its remote control, against a native kt3600r-sim process: the
// path every Windows suite takes under wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "ktsim/frame.h"
#include "ktsim/simulator.h"
#include "ktsim/socket.h"

namespace {

using namespace std::chrono_literals;
using ktsim::Socket;

// The next frame from the printer (whole, by its length digits), or "" after 3 s.
std::string readFrame(Socket& s) {
  std::string frame(5, '\0');
  if (!s.receiveExact(frame.data(), 5, 3000)) return {};
  const size_t length = std::stoul(frame.substr(1, 4));
  frame.resize(5 + length + 1);
  return s.receiveExact(frame.data() + 5, length + 1, 3000) ? frame : std::string();
}

TEST(RemoteSimulator, CallsHooksAndRecordsCrossTheProcessBoundary) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("ktsim_remote_" + std::to_string(std::random_device{}()));
  ktsim::Options options;
  options.outputDir = dir.string();
  ktsim::Simulator sim(options);
  sim.setHeadRank(6);
  sim.start();
  EXPECT_EQ(sim.addressValue() >> 24, 127u);
  EXPECT_EQ(sim.state().headRank, 6);

  // Reports pass through a hook in this process: the first is dropped, the last changed.
  sim.setFinishReportHook([&](ktsim::FinishReport& r) {
    r.error = 35;
    return r.remaining == 0 && sim.labelAtPeeler() == false;  // calls back in from the hook
  });
  Socket finish = Socket::connectTo(sim.addressValue(), sim.finishPort());
  Socket command = Socket::connectTo(sim.addressValue(), sim.commandPort());
  ASSERT_TRUE(sim.waitForConnections(ktsim::Port::Finish, 1, 5s));
  const std::string request = ktsim::makeFrame("2S200PTS1000002");
  ASSERT_TRUE(command.sendAll(request));
  EXPECT_EQ(readFrame(command), ktsim::makeFrame("2S200PTR0000000"));
  EXPECT_EQ(readFrame(finish), ktsim::makeFrame("2S200PRE00350000"));

  ASSERT_TRUE(sim.waitFor([&] { return sim.finishReports().size() == 2; }, 5s));
  const auto reports = sim.finishReports();
  EXPECT_FALSE(reports[0].delivered);
  EXPECT_EQ(reports[1].error, 35);
  ASSERT_EQ(sim.receivedFrames("PTS").size(), 1u);
  EXPECT_EQ(sim.receivedFrames("PTS")[0].bytes, request);
  const auto labels = sim.labels();
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0].width, 960);
  EXPECT_TRUE(std::filesystem::exists(labels[1].file)) << labels[1].file;

  // The simulator's errors arrive as the in-process one throws them.
  ktsim::Options taken;
  taken.address = sim.address();
  ktsim::Simulator second(taken);
  EXPECT_THROW(second.start(), std::runtime_error);
  sim.setFinishReportHook(nullptr);
  sim.stop();
  EXPECT_FALSE(sim.running());
  std::filesystem::remove_all(dir);
}

}  // namespace
