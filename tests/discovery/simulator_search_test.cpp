// The search against printer simulators, each in its own namespace of a test network.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "discovery/printer_search.h"
#include "fake_clock.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "simulated_printers.h"

namespace nypr {
namespace {

using testing::dottedAddress;

// The driver's search and the module's export find every simulated printer, with its
// address; the export cuts the list at the caller's room. The simulators answer at once
// and in no fixed order, so records are matched by address.
TEST(SimulatorSearch, EverySimulatedPrinterIsFoundWithItsAddressUpToTheCallersRoom) {
  testing::TestNetwork net(3);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  testing::FakeClock clock;
  const std::vector<testing::SimulatedPrinter> printers = {
      {7, "KT-3600R  Ver2.50 "}, {22, "KT-8100S  Ver2.22 "}, {42, "KT-3600R  Ver1.31 "}};
  const char* machineTexts[] = {"07", "22", "42"};
  auto sims = testing::startSimulatedPrinters(net, printers);
  // Which printer a record names, checking its fields; -1 when none.
  auto expectPrinter = [&](const char* ip, const char* machine, const char* model) {
    for (int i = 0; i < 3; ++i) {
      if (dottedAddress(net.printerAddress(i)) != ip) continue;
      EXPECT_STREQ(machine, machineTexts[i]) << ip;
      EXPECT_EQ(model, printers[static_cast<size_t>(i)].model) << ip;
      return i;
    }
    ADD_FAILURE() << "no printer at " << ip;
    return -1;
  };

  int result = 99;
  int count = -1;
  std::vector<FoundPrinterST> found(kFoundPrinterMax);
  net.runAsDriver([&] { result = SearchPrinterListFnI(&count, found.data()); });
  EXPECT_EQ(result, kSearchDone);
  ASSERT_EQ(count, 3);
  std::vector<bool> seen(3, false);
  for (int k = 0; k < count; ++k) {
    const FoundPrinterST& r = found[static_cast<size_t>(k)];
    const int i = expectPrinter(r.szIPAddr, r.szMachineNo, r.szModel);
    if (i < 0) continue;
    EXPECT_EQ(r.dwIPAddr, net.printerAddress(i));
    seen[static_cast<size_t>(i)] = true;
  }
  EXPECT_EQ(seen, std::vector<bool>(3, true));

  for (const int32_t room : {8, 1}) {
    SCOPED_TRACE(room);
    std::vector<NyPrFoundPrinterST> listed(static_cast<size_t>(room));
    std::memset(listed.data(), 0x55, listed.size() * sizeof(NyPrFoundPrinterST));
    int32_t listedCount = 99;
    net.runAsDriver([&] { listedCount = NyPrSearchPrinters(200, listed.data(), room); });
    ASSERT_EQ(listedCount, std::min(room, 3));
    for (int32_t k = 0; k < listedCount; ++k) {
      const NyPrFoundPrinterST& r = listed[static_cast<size_t>(k)];
      expectPrinter(r.szIPAddr, r.szMachineNo, r.szModel);
    }
  }
  for (auto& sim : sims) {
    if (sim) sim->stop();
  }
}

TEST(SimulatorSearch, ExportRefusesMissingRoomWithoutSearching) {
  NyPrFoundPrinterST one{};
  EXPECT_EQ(NyPrSearchPrinters(0, nullptr, 4), -6);
  EXPECT_EQ(NyPrSearchPrinters(0, &one, 0), -6);
  EXPECT_EQ(NyPrSearchPrinters(0, &one, -1), -6);
}

}  // namespace
}  // namespace nypr
