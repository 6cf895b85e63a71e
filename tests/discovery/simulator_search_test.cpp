// The search against printer simulators, each in its own namespace of a test network.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "discovery/printer_search.h"
#include "fake_clock.h"
#include "ktsim/simulator.h"
#include "test_network.h"

namespace nypr {
namespace {

using testing::TestNetwork;

struct SimulatedPrinter {
  int machine;
  std::string model;
};

TEST(SimulatorSearch, EverySimulatedPrinterIsFoundWithItsAddress) {
  TestNetwork net(3);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  testing::FakeClock clock;
  const SimulatedPrinter printers[] = {
      {11, "KT-3600R  Ver2.50 "}, {22, "KT-8100S  Ver2.22 "}, {33, "KT-3600R  Ver1.31 "}};
  std::vector<std::unique_ptr<ktsim::Simulator>> sims(3);
  for (int i = 0; i < 3; ++i) {
    net.runAsPrinter(i, [&, i] {
      ktsim::Options options;
      options.discovery = true;
      options.discoveryAddress = "0.0.0.0";
      auto sim = std::make_unique<ktsim::Simulator>(options);
      sim->setDiscoveryIdentity(printers[i].machine, printers[i].model);
      sim->start();
      sims[static_cast<size_t>(i)] = std::move(sim);
    });
    ASSERT_TRUE(sims[static_cast<size_t>(i)] && sims[static_cast<size_t>(i)]->running());
  }
  int result = 99;
  int count = -1;
  std::vector<FoundPrinterST> found(kFoundPrinterMax);
  net.runAsDriver([&] { result = SearchPrinterListFnI(&count, found.data()); });
  for (auto& sim : sims) sim->stop();

  EXPECT_EQ(result, kSearchDone);
  ASSERT_EQ(count, 3);
  // The simulators answer at once and in no fixed order: match records by address.
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    auto it = std::find_if(found.begin(), found.begin() + count, [&](const FoundPrinterST& r) {
      return r.dwIPAddr == net.printerAddress(i);
    });
    ASSERT_NE(it, found.begin() + count);
    EXPECT_EQ(std::string(it->szMachineNo), std::to_string(printers[i].machine));
    EXPECT_EQ(std::string(it->szModel), printers[i].model);
    uint32_t a = net.printerAddress(i);
    EXPECT_EQ(std::string(it->szIPAddr),
              "10.77." + std::to_string((a >> 8) & 0xFF) + "." + std::to_string(a & 0xFF));
  }
}

}  // namespace
}  // namespace nypr
