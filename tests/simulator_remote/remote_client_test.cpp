// The simulator API through its remote control, against a native kt3600r-sim process: the
// path every Windows suite takes under wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "ktsim/simulator.h"
#include "sim_client.h"

namespace {

using namespace std::chrono_literals;

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
  simtest::Client finish, command;
  ASSERT_TRUE(finish.connect(sim.addressValue(), sim.finishPort()));
  ASSERT_TRUE(command.connect(sim.addressValue(), sim.commandPort()));
  ASSERT_TRUE(sim.waitForConnections(ktsim::Port::Finish, 1, 5s));
  const std::string request = ktsim::makeFrame("2S200PTS1000002");
  ASSERT_TRUE(command.sendRaw(request));
  EXPECT_EQ(command.readFrame(), ktsim::makeFrame("2S200PTR0000000"));
  EXPECT_EQ(finish.readFrame(), ktsim::makeFrame("2S200PRE00350000"));

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
