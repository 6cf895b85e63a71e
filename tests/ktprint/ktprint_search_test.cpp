// ktprint search on a private network: two simulated printers answer the broadcast.
#include <memory>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "ktprint_runner.h"
#include "ktsim/simulator.h"
#include "test_network.h"

namespace nypr::test {
namespace {

using nypr::testing::TestNetwork;

std::string dotted(uint32_t a) {
  return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." +
         std::to_string((a >> 8) & 0xFF) + "." + std::to_string(a & 0xFF);
}

class KtprintSearchTest : public HostTest {};

TEST_F(KtprintSearchTest, JsonListsEveryPrinterThatAnswers) {
  TestNetwork net(2);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  const char* models[] = {"KT-3600R  Ver2.50 ", "KT-3600R  Ver1.31 "};
  std::vector<std::unique_ptr<ktsim::Simulator>> sims(2);
  for (int i = 0; i < 2; ++i) {
    net.runAsPrinter(i, [&, i] {
      ktsim::Options options;
      options.discovery = true;
      options.discoveryAddress = "0.0.0.0";
      sims[static_cast<size_t>(i)] = std::make_unique<ktsim::Simulator>(options);
      sims[static_cast<size_t>(i)]->setDiscoveryIdentity(12 + i, models[i]);
      sims[static_cast<size_t>(i)]->start();
    });
  }
  CommandResult r;
  net.runAsDriver([&] { r = runKtprint(iniPath_, {"search", "--json", "--timeout", "300"}); });
  for (auto& sim : sims) sim->stop();
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (int i = 0; i < 2; ++i) {
    std::string model = models[i];
    model.erase(model.find_last_not_of(' ') + 1);  // the printer's padding is dropped
    std::string entry = "{\"address\":\"" + dotted(net.printerAddress(i)) + "\",\"model\":\"" +
                        model + "\",\"machineNumber\":\"" + std::to_string(12 + i) + "\"}";
    EXPECT_NE(r.out.find(entry), std::string::npos) << r.out;
  }
  EXPECT_EQ(r.out.front(), '[');
  EXPECT_EQ(r.out.substr(r.out.size() - 2), "]\n");
}

}  // namespace
}  // namespace nypr::test
