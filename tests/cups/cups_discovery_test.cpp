// The backend run without arguments, as cups-deviced runs it for lpinfo -v: it lists the
// printers that the network search finds, on a private network of namespaces.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "simulated_printers.h"
#include "test_process.h"

namespace nypr::test {
namespace {

// Runs the backend without arguments on the calling thread's network; its standard output
// (its diagnostics on standard error are left out).
std::string listDevices() {
  TempDir dir;
  const CommandResult r =
      runCommand({"/bin/sh", "-c", std::string(NYPR_CUPS_BACKEND) + " 2>/dev/null"}, dir.path());
  EXPECT_EQ(r.exitCode, 0);
  return r.output;
}

// A search that cannot run (another program holds its port) lists the scheme alone: its
// diagnostics never reach the device list that CUPS parses.
TEST(CupsDiscovery, BackendListsEveryPrinterTheSearchFinds) {
  nypr::testing::TestNetwork net(2);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  const std::vector<nypr::testing::SimulatedPrinter> printers = {{7, "KT-3600R  Ver2.50 "},
                                                                 {42, "KT-3600R  Ver1.31 "}};
  auto sims = nypr::testing::startSimulatedPrinters(net, printers);
  std::string devices, busy;
  net.runAsDriver([&] {
    devices = listDevices();
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(30000);
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    busy = listDevices();
    ::close(holder);
  });
  for (auto& sim : sims) {
    if (sim) sim->stop();
  }
  EXPECT_EQ(busy, "network kt3600r \"Unknown\" \"KT3600R label printer (network)\"\n");
  EXPECT_NE(devices.find("network kt3600r \"Unknown\""), std::string::npos) << devices;
  const std::string machines[] = {"07", "42"};
  for (int i = 0; i < 2; ++i) {
    const std::string address = nypr::testing::dottedAddress(net.printerAddress(i));
    std::string model = printers[i].model;
    model.erase(model.find_last_not_of(' ') + 1);
    const std::string line = "network kt3600r://" + address + " \"" + model + "\" \"" + model +
                             " (" + address + ", machine " + machines[i] + ")\"";
    EXPECT_NE(devices.find(line), std::string::npos) << devices;
  }
}

}  // namespace
}  // namespace nypr::test
