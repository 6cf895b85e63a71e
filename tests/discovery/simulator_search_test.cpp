// The search against printer simulators, each in its own namespace of a test network.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "discovery/printer_search.h"
#include "fake_clock.h"
#include "ktsim/simulator.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "test_network.h"

namespace nypr {
namespace {

using testing::TestNetwork;

struct SimulatedPrinter {
  int machine;
  std::string model;
};

// Starts one discovery-answering simulator per printer, each in its own namespace.
std::vector<std::unique_ptr<ktsim::Simulator>> startSimulators(
    const TestNetwork& net, const std::vector<SimulatedPrinter>& printers) {
  std::vector<std::unique_ptr<ktsim::Simulator>> sims(printers.size());
  for (size_t i = 0; i < printers.size(); ++i) {
    net.runAsPrinter(static_cast<int>(i), [&, i] {
      ktsim::Options options;
      options.discovery = true;
      options.discoveryAddress = "0.0.0.0";
      auto sim = std::make_unique<ktsim::Simulator>(options);
      sim->setDiscoveryIdentity(printers[i].machine, printers[i].model);
      sim->start();
      sims[i] = std::move(sim);
    });
  }
  return sims;
}

std::string dotted(uint32_t a) {
  return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." +
         std::to_string((a >> 8) & 0xFF) + "." + std::to_string(a & 0xFF);
}

TEST(SimulatorSearch, EverySimulatedPrinterIsFoundWithItsAddress) {
  TestNetwork net(3);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  testing::FakeClock clock;
  const std::vector<SimulatedPrinter> printers = {
      {11, "KT-3600R  Ver2.50 "}, {22, "KT-8100S  Ver2.22 "}, {33, "KT-3600R  Ver1.31 "}};
  auto sims = startSimulators(net, printers);
  for (auto& sim : sims) ASSERT_TRUE(sim && sim->running());
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
    EXPECT_EQ(std::string(it->szIPAddr), dotted(net.printerAddress(i)));
  }
}

// The module's search export: the same search, in the export's records, cut at the
// caller's room.
TEST(SimulatorSearch, ExportListsPrintersUpToTheCallersRoom) {
  TestNetwork net(2);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  testing::FakeClock clock;
  const std::vector<SimulatedPrinter> printers = {{7, "KT-3600R  Ver2.50 "},
                                                  {42, "KT-3600R  Ver1.31 "}};
  auto sims = startSimulators(net, printers);
  for (auto& sim : sims) ASSERT_TRUE(sim && sim->running());
  const struct {
    int32_t room;
    int32_t expected;
  } cases[] = {{8, 2}, {1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.room);
    std::vector<NyPrFoundPrinterST> found(static_cast<size_t>(c.room));
    std::memset(found.data(), 0x55, found.size() * sizeof(NyPrFoundPrinterST));
    int32_t result = 99;
    net.runAsDriver([&] { result = NyPrSearchPrinters(200, found.data(), c.room); });
    ASSERT_EQ(result, c.expected);
    for (int32_t k = 0; k < result; ++k) {
      const NyPrFoundPrinterST& r = found[static_cast<size_t>(k)];
      int i = 0;
      while (i < 2 && dotted(net.printerAddress(i)) != r.szIPAddr) ++i;
      ASSERT_LT(i, 2) << r.szIPAddr;
      EXPECT_EQ(std::string(r.szModel), printers[static_cast<size_t>(i)].model);
      EXPECT_EQ(std::string(r.szMachineNo), (i == 0 ? "07" : "42"));
    }
  }
  for (auto& sim : sims) sim->stop();
}

TEST(SimulatorSearch, ExportRefusesMissingRoomWithoutSearching) {
  NyPrFoundPrinterST one{};
  EXPECT_EQ(NyPrSearchPrinters(0, nullptr, 4), -6);
  EXPECT_EQ(NyPrSearchPrinters(0, &one, 0), -6);
  EXPECT_EQ(NyPrSearchPrinters(0, &one, -1), -6);
}

}  // namespace
}  // namespace nypr
