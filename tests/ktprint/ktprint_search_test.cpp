// ktprint search on a private network: two simulated printers answer the broadcast.
#include <memory>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "ktprint_runner.h"
#include "simulated_printers.h"

namespace nypr::test {
namespace {

using nypr::testing::TestNetwork;

class KtprintSearchTest : public HostTest {};

TEST_F(KtprintSearchTest, JsonListsEveryPrinterThatAnswers) {
  TestNetwork net(2);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  const std::vector<nypr::testing::SimulatedPrinter> printers = {{12, "KT-3600R  Ver2.50 "},
                                                                 {13, "KT-3600R  Ver1.31 "}};
  auto sims = nypr::testing::startSimulatedPrinters(net, printers);
  KtprintRun r;
  net.runAsDriver([&] { r = runKtprint(iniPath_, {"search", "--json", "--timeout", "300"}); });
  for (auto& sim : sims) {
    if (sim) sim->stop();
  }
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (int i = 0; i < 2; ++i) {
    std::string model = printers[i].model;
    model.erase(model.find_last_not_of(' ') + 1);  // the printer's padding is dropped
    std::string entry = "{\"address\":\"" + nypr::testing::dottedAddress(net.printerAddress(i)) +
                        "\",\"model\":\"" + model + "\",\"machineNumber\":\"" +
                        std::to_string(12 + i) + "\"}";
    EXPECT_NE(r.out.find(entry), std::string::npos) << r.out;
  }
  EXPECT_EQ(r.out.front(), '[');
  EXPECT_EQ(r.out.substr(r.out.size() - 2), "]\n");
}

}  // namespace
}  // namespace nypr::test
