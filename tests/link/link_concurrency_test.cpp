// Eight printers on eight slots, driven from eight threads at once; and one printer driven
// from eight threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/commands.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link_fixture.h"
#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::test {
namespace {

constexpr int kRounds = 15;

using LinkConcurrencyTest = HostTest;

TEST_F(LinkConcurrencyTest, EightSlotsExchangeAtOnceWithoutMixingFrames) {
  std::vector<std::unique_ptr<ktsim::Simulator>> sims;
  for (int i = 0; i < kSlotCount; ++i) {
    sims.push_back(std::make_unique<ktsim::Simulator>());
    sims.back()->start();
    // Each printer tells itself apart by its status block.
    sims.back()->setSensors(200 + i, 20, 10, 50, 0);
    attachSlot(static_cast<uint8_t>(i), *sims.back());
  }
  // The real clock: each printer gets its pause between a close and the next connect, as
  // every printer needs. Without it, 64-bit wine has connects refused by a simulator that
  // is listening, and the rounds fail before any frame is sent.

  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kSlotCount; ++i) {
    threads.emplace_back([i, &failures] {
      const auto n = static_cast<uint8_t>(i);
      for (int round = 0; round < kRounds; ++round) {
        ExchangeResult r = exchangeOnSlot(n, "2S200STS");
        // Gap sensor reading at payload offset 20: this slot's own printer answered.
        if (r.result != 59 || r.answer.substr(5, 8) != "2S200STR" ||
            r.answer.substr(5 + 20, 3) != std::to_string(200 + i)) {
          ++failures;
        }
        if (KtBuzzerTestFnBL(n) != 1) ++failures;  // closes, so the next round reconnects
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);

  for (int i = 0; i < kSlotCount; ++i) {
    const auto& sim = *sims[static_cast<size_t>(i)];
    EXPECT_EQ(sim.receivedFrames("STS").size(), static_cast<size_t>(kRounds)) << i;
    EXPECT_EQ(sim.receivedFrames("BZS").size(), static_cast<size_t>(kRounds)) << i;
    for (const auto& f : sim.frames()) EXPECT_TRUE(f.valid) << i << ": " << f.bytes;
    detachSlot(static_cast<uint8_t>(i));
  }
  for (auto& sim : sims) sim->stop();
}

// One printer is meant to be driven from one thread, but a host that calls it from many
// at once gets valid results: each call's exchanges take turns, none uses another's
// buffers or has its socket closed under it.
TEST_F(LinkConcurrencyTest, EightThreadsOnOnePrinterTakeTurns) {
  ktsim::Simulator sim;
  sim.start();
  attachSlot(0, sim);
  FakeClock clock;

  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kSlotCount; ++i) {
    threads.emplace_back([i, &failures] {
      for (int round = 0; round < kRounds; ++round) {
        switch ((i + round) % 4) {
          case 0:
            if (NyPrIsPrintReady(0, 1) != 1) ++failures;
            break;
          case 1:
            if (NyPrStopPrint(1) != 1) ++failures;
            break;
          case 2:
            if (NyPrSendPrintAutoCut(0) != 1) ++failures;
            break;
          default:
            if (KtBuzzerTestFnBL(0) != 1) ++failures;
            NyPrPrintNotify(0, 0);
            break;
        }
        char text[256];
        NyPrGetPrintError(1, text, sizeof text);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  for (const auto& f : sim.frames()) EXPECT_TRUE(f.valid) << f.bytes;
  EXPECT_EQ(sim.receivedFrames("STS").size() + sim.receivedFrames("PSP").size() +
                sim.receivedFrames("CTS").size() + sim.receivedFrames("BZS").size(),
            static_cast<size_t>(kSlotCount * kRounds));
  detachSlot(0);
  sim.stop();
}

}  // namespace
}  // namespace nypr::test
