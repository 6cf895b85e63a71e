// `kt3600r-printer-app devices -o verbose=1` lists the printers that answer the module's network
// search, on a private network of namespaces (root and `ip` needed, else skipped).
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "simulated_printers.h"
#include "test_process.h"

namespace nypr::test {
namespace {

TEST(PrinterAppDevices, ListsEveryPrinterTheSearchFinds) {
  nypr::testing::TestNetwork net(2);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  auto sims = nypr::testing::startSimulatedPrinters(
      net, {{7, "KT-3600R  Ver2.50 "}, {42, "KT-3600R  Ver1.31 "}});
  // Under the asan build, the options PAPPL's main loop keeps until exit are not ours.
  const std::string lsan = "suppressions=" + std::string(NYPR_TEST_DATA_DIR) +
                           "/printer_app/lsan.supp:print_suppressions=0";
  ::setenv("LSAN_OPTIONS", lsan.c_str(), 0);
  TempDir dir;
  CommandResult listed;
  net.runAsDriver([&] {
    listed = runCommand({NYPR_PRINTER_APP, "devices", "-o", "verbose=1"}, dir.path());
  });
  // Another program on the same machine holding the search port: the list says why it is
  // empty.
  CommandResult refused;
  net.runAsDriver([&] {
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(30000);
    ASSERT_EQ(::bind(holder, reinterpret_cast<const sockaddr*>(&any), sizeof any), 0);
    refused = runCommand({NYPR_PRINTER_APP, "devices"}, dir.path());
    ::close(holder);
  });
  for (auto& sim : sims) {
    if (sim) sim->stop();
  }
  EXPECT_NE(refused.output.find("the search port (UDP 30000) is in use by another program"),
            std::string::npos)
      << refused.output;
  EXPECT_EQ(listed.exitCode, 0) << listed.output;
  const char* models[] = {"KT-3600R  Ver2.50", "KT-3600R  Ver1.31"};
  for (int i = 0; i < 2; ++i) {
    const std::string address = nypr::testing::dottedAddress(net.printerAddress(i));
    EXPECT_NE(listed.output.find("kt3600r://" + address), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find(std::string(models[i]) + " (" + address + ")"), std::string::npos)
        << listed.output;
  }
}

}  // namespace
}  // namespace nypr::test
