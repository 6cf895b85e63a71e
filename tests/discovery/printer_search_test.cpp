// The printer search over a private network of namespaces: the driver's side in one,
// each printer in its own. One network serves every case (making it is the slow part).
#include "discovery/printer_search.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fake_clock.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "ordered_printers.h"
#include "test_network.h"
#include "test_responder.h"

namespace nypr {
namespace {

using test::FakeClock;
using testing::TestNetwork;

struct SearchOutcome {
  int result = 99;
  int count = -1;
  std::string output;  // what the search wrote to stdout
  std::vector<FoundPrinterST> records = std::vector<FoundPrinterST>(kFoundPrinterMax);
  void search() {
    ::testing::internal::CaptureStdout();
    result = SearchPrinterListFnI(&count, records.data());
    output = ::testing::internal::GetCapturedStdout();
  }
};

class PrinterSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!net().available()) GTEST_SKIP() << net().unavailableReason();
  }
  static TestNetwork& net() { return testing::sharedTestNetwork(); }
  // Printer i sends replies[i] (in printer order), then the driver searches.
  static SearchOutcome searchWith(std::vector<std::vector<std::string>> replies) {
    SearchOutcome out;
    testing::OrderedPrinters printers(net(), std::move(replies));
    EXPECT_TRUE(printers.allBound());
    net().runAsDriver([&] { out.search(); });
    return out;
  }
  FakeClock clock_;
};

TEST_F(PrinterSearch, NoPrinterEndsAfterOwnRequestAndOneTimeout) {
  SearchOutcome out = searchWith({});
  EXPECT_EQ(out.result, kSearchDone);
  EXPECT_EQ(out.count, 0);
  // Our own request came back once (one pause after it), then the segment was silent.
  EXPECT_EQ(clock_.takeSleeps(), std::vector<uint32_t>{50});
}

// The export lists the printers in arrival order up to the caller's room, and not beyond
// it (every record of a roomy list: KtprintSearchTest.JsonListsEveryPrinterThatAnswers).
// A reply's length limits (40 characters ignored, 41 taken) are SearchReply's table rows.
TEST_F(PrinterSearch, PrintersInArrivalOrderUpToTheCallersRoom) {
  NyPrFoundPrinterST listed[3];
  std::memset(listed, 0x55, sizeof listed);
  int32_t count = 99;
  testing::OrderedPrinters printers(net(), {{testing::printerReply(7, "KT-3600R  Ver2.50")},
                                            {testing::printerReply(12, "KT-8100_12 Ver1.16")},
                                            {testing::printerReply(3, "KT-3600R  Ver1.31")}});
  ASSERT_TRUE(printers.allBound());
  net().runAsDriver([&] { count = NyPrSearchPrinters(200, listed, 2); });
  ASSERT_EQ(count, 2);
  const char* numbers[] = {"07", "12"};
  const char* models[] = {"KT-3600R  Ver2.50 ", "KT-8100_12 Ver1.16"};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(listed[i].szMachineNo, numbers[i]);
    EXPECT_STREQ(listed[i].szModel, models[i]);
    EXPECT_EQ(listed[i].szIPAddr, testing::dottedAddress(net().printerAddress(i)));
  }
  EXPECT_EQ(listed[2].szIPAddr[0], 0x55);
}

// Another search (or any program) listening on the search port.
TEST_F(PrinterSearch, PortInUseFailsAtBind) {
  SearchOutcome out;
  net().runAsDriver([&] {
    const int held = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(30000);
    ASSERT_EQ(bind(held, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    out.search();
    close(held);
  });
  EXPECT_EQ(out.result, kSearchPortBusy);
  EXPECT_EQ(out.count, 0);
  EXPECT_EQ(out.output, "bind failed with: 10048\n");
}

TEST_F(PrinterSearch, HundredRepliesUseAllReceivesAndKeepAtMost100Records) {
  std::vector<std::string> replies;
  for (int i = 0; i < 120; ++i) replies.push_back(testing::printerReply(i, "KT-3600R  Ver2.50"));
  SearchOutcome out = searchWith({replies});
  EXPECT_EQ(out.result, kSearchFull);
  // 100 receives: our own request and 99 replies.
  EXPECT_EQ(out.count, 99);
  EXPECT_EQ(clock_.takeSleeps().size(), 100u);
  EXPECT_STREQ(out.records[0].szMachineNo, "00");
  EXPECT_STREQ(out.records[98].szMachineNo, "98");
}

TEST(PrinterSearchAlone, NoRouteForTheBroadcastFailsAtSend) {
  if (std::string why = testing::networkNamespacesUnavailable(); !why.empty()) GTEST_SKIP() << why;
  SearchOutcome out;
  bool isolated = false;
  std::thread([&] {
    // A namespace of this thread alone, with no interface up: no way out for a broadcast.
    if (unshare(CLONE_NEWNET) != 0) return;
    isolated = true;
    out.search();
  }).join();
  if (!isolated) GTEST_SKIP() << "cannot make a network namespace for this thread";
  EXPECT_EQ(out.result, kSearchSendFailed);
  EXPECT_EQ(out.count, 0);
  EXPECT_EQ(out.output, "Send failed:10051");
}

TEST(PrinterSearchAlone, MissingTableIsRefusedWithoutSocket) {
  int count = -1;
  EXPECT_EQ(SearchPrinterListFnI(&count, nullptr), kSearchBadArgs);
  EXPECT_EQ(count, 0);
  NyPrFoundPrinterST one{};
  EXPECT_EQ(NyPrSearchPrinters(0, nullptr, 4), -6);
  EXPECT_EQ(NyPrSearchPrinters(0, &one, 0), -6);
}

}  // namespace
}  // namespace nypr
