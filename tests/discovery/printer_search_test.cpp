// The printer search over a private network of namespaces: the driver's side in one,
// each printer in its own.
#include "discovery/printer_search.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fake_clock.h"
#include "ordered_printers.h"
#include "test_network.h"
#include "test_responder.h"

namespace nypr {
namespace {

using testing::FakeClock;
using testing::TestNetwork;

std::string dotted(uint32_t a) {
  return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." +
         std::to_string((a >> 8) & 0xFF) + "." + std::to_string(a & 0xFF);
}

struct SearchOutcome {
  int result = 99;
  int count = -1;
  std::vector<FoundPrinterST> records = std::vector<FoundPrinterST>(kFoundPrinterMax);
};

SearchOutcome searchAsDriver(const TestNetwork& net) {
  SearchOutcome out;
  net.runAsDriver([&] { out.result = SearchPrinterListFnI(&out.count, out.records.data()); });
  return out;
}

TEST(PrinterSearch, NoPrinterEndsAfterOwnRequestAndOneTimeout) {
  TestNetwork net(0);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  FakeClock clock;
  SearchOutcome out = searchAsDriver(net);
  EXPECT_EQ(out.result, kSearchDone);
  EXPECT_EQ(out.count, 0);
  // Our own request came back once (one pause after it), then the segment was silent.
  EXPECT_EQ(clock.sleeps(), 1);
  EXPECT_EQ(clock.sleptMs(), 50u);
}

TEST(PrinterSearch, ThreePrintersInArrivalOrderWithAddressAsTextAndNumber) {
  TestNetwork net(3);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  FakeClock clock;
  SearchOutcome out;
  {
    testing::OrderedPrinters printers(net, {{testing::printerReply(7, "KT-3600R  Ver2.50")},
                                            {testing::printerReply(12, "KT-8100_12 Ver1.16")},
                                            {testing::printerReply(3, "KT-3600R  Ver1.31")}});
    ASSERT_TRUE(printers.allBound());
    out = searchAsDriver(net);
  }
  ASSERT_EQ(out.result, kSearchDone);
  ASSERT_EQ(out.count, 3);
  const char* numbers[] = {"07", "12", "03"};
  const char* models[] = {"KT-3600R  Ver2.50 ", "KT-8100_12 Ver1.16", "KT-3600R  Ver1.31 "};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const FoundPrinterST& r = out.records[static_cast<size_t>(i)];
    EXPECT_STREQ(r.szMachineNo, numbers[i]);
    EXPECT_STREQ(r.szModel, models[i]);
    EXPECT_EQ(r.dwIPAddr, net.printerAddress(i));
    EXPECT_EQ(std::string(r.szIPAddr), dotted(net.printerAddress(i)));
  }
  EXPECT_EQ(out.records[3].szMachineNo[0], '\0');
}

TEST(PrinterSearch, ReplyOf40CharactersIsIgnoredAnd41Accepted) {
  TestNetwork net(1);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  FakeClock clock;
  std::string reply41 = "MiraMachine42abcdefghijklKT-3600R  Ver2.";  // 40 characters
  ASSERT_EQ(reply41.size(), 40u);
  std::string reply40 = reply41;
  reply41 += "5";
  SearchOutcome out;
  {
    testing::OrderedPrinters printers(net, {{reply40, reply41}});
    ASSERT_TRUE(printers.allBound());
    out = searchAsDriver(net);
  }
  EXPECT_EQ(out.result, kSearchDone);
  ASSERT_EQ(out.count, 1);
  EXPECT_STREQ(out.records[0].szMachineNo, "42");
  // Only 16 characters stand at offset 25 of a 41-character reply.
  EXPECT_STREQ(out.records[0].szModel, "KT-3600R  Ver2.5");
}

TEST(PrinterSearch, PortHeldByAnotherProgramFailsAtBind) {
  TestNetwork net(0);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  SearchOutcome out;
  std::string output;
  net.runAsDriver([&] {
    int holder = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(30000);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::testing::internal::CaptureStdout();
    out.result = SearchPrinterListFnI(&out.count, out.records.data());
    output = ::testing::internal::GetCapturedStdout();
    close(holder);
  });
  EXPECT_EQ(out.result, kSearchPortBusy);
  EXPECT_EQ(out.count, 0);
  EXPECT_EQ(output, "bind failed with: 10048\n");
}

TEST(PrinterSearch, SecondSearchWhileOneListensFailsAtBind) {
  TestNetwork net(0);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  FakeClock clock;
  std::mutex m;
  std::condition_variable cv;
  bool held = false;
  bool release = false;
  // The first search pauses after its own looped-back request: hold it there.
  clock.onSleep([&](uint32_t) {
    std::unique_lock lock(m);
    if (held) return;
    held = true;
    cv.notify_all();
    cv.wait(lock, [&] { return release; });
  });
  SearchOutcome first;
  std::thread firstSearch = net.startAsDriver(
      [&] { first.result = SearchPrinterListFnI(&first.count, first.records.data()); });
  bool firstListening = false;
  {
    std::unique_lock lock(m);
    firstListening = cv.wait_for(lock, std::chrono::seconds(10), [&] { return held; });
  }
  SearchOutcome second;
  if (firstListening) second = searchAsDriver(net);
  {
    std::lock_guard lock(m);
    release = true;
    held = true;
  }
  cv.notify_all();
  firstSearch.join();
  ASSERT_TRUE(firstListening) << "the first search never received its own request";
  EXPECT_EQ(second.result, kSearchPortBusy);
  EXPECT_EQ(second.count, 0);
  EXPECT_EQ(first.result, kSearchDone);
}

TEST(PrinterSearch, HundredRepliesUseAllReceivesAndKeepAtMost100Records) {
  TestNetwork net(1);
  if (!net.available()) GTEST_SKIP() << net.unavailableReason();
  FakeClock clock;
  std::vector<std::string> replies;
  for (int i = 0; i < 120; ++i) replies.push_back(testing::printerReply(i, "KT-3600R  Ver2.50"));
  SearchOutcome out;
  {
    testing::OrderedPrinters printers(net, {replies});
    ASSERT_TRUE(printers.allBound());
    out = searchAsDriver(net);
  }
  EXPECT_EQ(out.result, kSearchFull);
  // 100 receives: our own request and 99 replies.
  EXPECT_EQ(out.count, 99);
  EXPECT_EQ(clock.sleeps(), 100);
  for (int i = 0; i < out.count; ++i) {
    char expected[4];
    std::snprintf(expected, sizeof expected, "%02d", i);
    ASSERT_STREQ(out.records[static_cast<size_t>(i)].szMachineNo, expected) << i;
  }
}

TEST(PrinterSearch, NoRouteForTheBroadcastFailsAtSend) {
  if (std::string why = testing::networkNamespacesUnavailable(); !why.empty()) GTEST_SKIP() << why;
  SearchOutcome out;
  std::string output;
  bool isolated = false;
  std::thread([&] {
    // A namespace of this thread alone, with no interface up: no way out for a broadcast.
    if (unshare(CLONE_NEWNET) != 0) return;
    isolated = true;
    ::testing::internal::CaptureStdout();
    out.result = SearchPrinterListFnI(&out.count, out.records.data());
    output = ::testing::internal::GetCapturedStdout();
  }).join();
  if (!isolated) GTEST_SKIP() << "cannot make a network namespace for this thread";
  EXPECT_EQ(out.result, kSearchSendFailed);
  EXPECT_EQ(out.count, 0);
  EXPECT_EQ(output, "Send failed:10051");
}

TEST(PrinterSearch, MissingTableIsRefusedWithoutSocket) {
  int count = -1;
  EXPECT_EQ(SearchPrinterListFnI(&count, nullptr), kSearchBadArgs);
  EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace nypr
