// The printer link against the simulated printer: the exact bytes on the wire, the
// answers' effects, the fault matrix, the pauses after a close and the error boxes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "link/aux_channel.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link_fixture.h"
#include "platform/net.h"
#include "status/error_text.h"

// Faults name only what differs from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace nypr::test {
namespace {

using namespace std::chrono_literals;
using ktsim::Fault;
using ktsim::FaultAction;
using platform::isOpenSocket;
using platform::kInvalidSocket;

// The printer answers each request of the connection only after this pause, so that
// answers to pipelined requests arrive one by one.
Fault spacedAnswers(const char* code) {
  return Fault{.code = code, .times = -1, .action = FaultAction::Delay, .delay = 200ms};
}

size_t occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::vector<std::string> codesOnWire(const ktsim::Simulator& sim) {
  std::vector<std::string> codes;
  for (const auto& f : sim.receivedFrames()) codes.push_back(f.code());
  return codes;
}

// ---- Requests on the wire ---------------------------------------------------------------

using LinkWireTest = LinkSimTest;

// The card number goes out as one digit: a card 10 is refused before anything is sent.
TEST_F(LinkWireTest, CardTestForCardTenIsRefused) {
  char answer[41] = {};
  EXPECT_EQ(KtCardTestFnBL(0, 10, answer), 0);
  EXPECT_EQ(slot().dwLastError, kErrCardTest);
  EXPECT_TRUE(sim_.receivedFrames("CDS").empty());
}

// A read sends zeros whatever the data; the port is the sensor dialog tests'.
TEST_F(LinkWireTest, GapMarkReadGoesOutAsZeros) {
  char request[19] = {};
  std::memcpy(request + 8, "0123456789", 10);
  char answer[21] = {};
  EXPECT_EQ(KtGetGapMarkFnBL(0, request, answer), 1);
  auto frames = sim_.receivedFrames("GMS");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].bytes, wireFrame("2S200GMS0000000000"));
  EXPECT_EQ(slot().skFin, kInvalidSocket);
}

TEST_F(LinkWireTest, ProgramGoesOutIn512ByteBlocksThenEnd) {
  const std::string path = (dir_ / "program.bin").string();
  for (const size_t size : {size_t{1024}, size_t{1000}}) {
    SCOPED_TRACE(size);
    sim_.clearRecords();
    std::string program(size, '\0');  // bytes that differ from block to block
    for (size_t i = 0; i < size; ++i) program[i] = static_cast<char>(i * 7 + 1);
    std::ofstream(path, std::ios::binary).write(program.data(), std::streamsize(size));
    EXPECT_EQ(KtSendProgramFnBL(0, path.c_str()), 1);
    ASSERT_EQ(codesOnWire(sim_), (std::vector<std::string>{"INS", "IDS", "IDS", "INE"}));
    auto ids = sim_.receivedFrames("IDS");
    EXPECT_EQ(ids[0].payload(), "2S200IDS0000" + program.substr(0, 512));
    // A short last block still goes out whole: past the new bytes, the rest of the block is
    // what the block before left in the buffer.
    EXPECT_EQ(ids[1].payload(),
              "2S200IDS0001" + program.substr(512) + program.substr(size - 512, 1024 - size));
    EXPECT_EQ(sim_.receivedFrames("INE")[0].bytes, wireFrame("2S200INE"));
    EXPECT_TRUE(sim_.program().complete);
    EXPECT_EQ(slot().skKT, kInvalidSocket);
  }

  // A missing file stops the transfer after INS, without INE.
  sim_.clearRecords();
  EXPECT_EQ(KtSendProgramFnBL(0, (dir_ / "none.bin").string().c_str()), 0);
  EXPECT_EQ(codesOnWire(sim_), (std::vector<std::string>{"INS"}));
  EXPECT_EQ(slot().skKT, kInvalidSocket);

  // A printer that refuses the upload at its start gives its number as the error.
  sim_.clearRecords();
  sim_.addFault({.code = "INS", .action = FaultAction::Status, .number = 7});
  EXPECT_EQ(KtSendProgramFnBL(0, path.c_str()), 0);
  EXPECT_EQ(codesOnWire(sim_), (std::vector<std::string>{"INS"}));
  EXPECT_EQ(slot().dwLastError, 7u);
}

// The simulated KT3600R does not answer another kind's ACS: a short receive time-out on the
// channel's connection keeps the test quick.
TEST_F(LinkWireTest, AutoCutCommandOfAnotherKind) {
  ASSERT_NE(SE_CreateSocket(0, 0, &slot()), kInvalidSocket);
  platform::netSetReceiveTimeout(slot().skKT, 100);
  EXPECT_EQ(SE_AutoCutFnBL(&slot(), kKind277), 0);
  auto acs = sim_.receivedFrames("ACS");
  ASSERT_EQ(acs.size(), 1u);
  EXPECT_EQ(acs[0].bytes, '\x02' + std::string("00086S200ACS") + '\x03');
}

// The two requests' bytes and answers are the sensor display and head check dialog tests'.
TEST_F(LinkWireTest, CutPositionKeepsTheConnectionHeadCheckClosesIt) {
  char request[11] = "........00";
  char answer[35] = {};
  EXPECT_EQ(SE_GetCutPositionFnBL(&slot(), request, answer, kKindKt3600r), 1);
  EXPECT_TRUE(isOpenSocket(slot().skKT));
  EXPECT_EQ(slot().dwRseConnFlags & kRseConnCommand, kRseConnCommand);

  char result[217] = {};
  EXPECT_EQ(headCheck(result), 1);
  EXPECT_EQ(slot().skKT, kInvalidSocket);
  // The flag goes only when the channel connects anew, not with the close.
  EXPECT_EQ(slot().dwRseConnFlags & kRseConnCommand, kRseConnCommand);
}

TEST_F(LinkWireTest, TestPrintStampsTheActivityTick) {
  FakeClock clock;
  clock.advance(5000);                   // apart from a stamp an earlier test's clock left
  char request[16] = "........0010001";  // pattern 0, one copy
  EXPECT_EQ(KtTestPrintFnBL(0, request), 1);
  EXPECT_EQ(slot().dwActTick, clock.now());
}

// ---- Answers that fail -------------------------------------------------------------------

// An exchange's result with the slot's error code and socket error number after it.
using Outcome = std::tuple<int, uint32_t, int32_t>;

class LinkAnswerTest : public LinkSimTest {
 protected:
  Outcome outcome(const ExchangeResult& r) {
    return {r.result, slot().dwLastError, slot().dwError};
  }
  // The printer answers `code` `times` times with `answerCode`, each answer apart, and
  // has that many requests to answer before the test's own (the earlier ones pipelined on
  // the open connection).
  void wrongAnswers(const char* code, const char* answerCode, int times, int earlier) {
    sim_.addFault(
        {.code = code, .times = times, .action = FaultAction::WrongCode, .answerCode = answerCode});
    sim_.addFault(spacedAnswers(code));
    for (int i = 0; i < earlier; ++i) sendEarlierRequest(std::string("2S200") + code);
  }
};

// The cut error's number itself is the completion tests' case.
TEST_F(LinkAnswerTest, AutoCutAnswerWithoutItsNumberReadsAsDone) {
  sim_.setCutError(7);
  sim_.addFault({.code = "CTS", .action = FaultAction::Truncate, .number = 8});
  EXPECT_EQ(SE_AutoCutFnBL(&slot(), kKindKt3600r), 1);
  EXPECT_EQ(slot().dwLastError, kNoError);
}

TEST_F(LinkAnswerTest, FieldsPastAShortAnswerNeverShowAnEarlierAnswersBytes) {
  ASSERT_NE(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
  // First an echo carrying a failure flag at 40, then the right answer without that byte.
  sim_.addFault({.code = "CDS", .action = FaultAction::WrongCode, .answerCode = "CDS"});
  sim_.addFault({.code = "CDS", .action = FaultAction::FailureFlag});
  sim_.addFault({.code = "CDS", .skip = 1, .action = FaultAction::Truncate, .number = 39});
  sim_.addFault(spacedAnswers("CDS"));
  sendEarlierRequest("2S200CDS0");
  char answer[41];
  EXPECT_EQ(KtCardTestFnBL(0, 0, answer), 1);
  EXPECT_EQ(answer[40], '\0');
}

// Answers with another code are read past, up to three receives.
TEST_F(LinkAnswerTest, WrongCodesAreReadPastUpToThreeReceives) {
  const struct {
    int wrong, earlier, result;
    uint32_t lastError;
  } rows[] = {{1, 1, 15, kNoError}, {3, 2, kExNoRightAnswer, kErrSocketReceive}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.wrong);
    KT36R_CloseSocket(0, 0);
    sim_.clearFaults();
    const size_t logStart = logText().size();
    ASSERT_NE(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
    wrongAnswers("BZS", "LER", row.wrong, row.earlier);

    ExchangeResult r = exchangeOnSlot(0, "2S200BZS");
    // No empty receive: the socket error number stays "none".
    ASSERT_EQ(outcome(r), Outcome(row.result, row.lastError, kNoError));
    if (row.wrong > 1) continue;
    EXPECT_EQ(r.answer.substr(5, 8), "2S200BZR");
    const std::string log = logText().substr(logStart);
    EXPECT_NE(log.find(cp932("(詳細ログ@110@)KT3600Rから-->PCの受信2回目です。")),
              std::string::npos);
    EXPECT_EQ(log.find(cp932("(詳細ログ@110@)KT3600Rから-->PCの受信3回目です。")),
              std::string::npos);
  }
}

TEST_F(LinkAnswerTest, ThreeWrongAnswersOnTheAuxiliaryChannelGive60302) {
  ASSERT_NE(SE_CreateSocket(0, 0, &slot()), kInvalidSocket);
  EXPECT_NE(
      logText().find("connected to " + sim_.address() + ":" + std::to_string(sim_.commandPort())),
      std::string::npos);
  wrongAnswers("CTS", "CTS", 3, 2);  // "2S200CTS0" echoes the request: not an answer

  EXPECT_EQ(SE_AutoCutFnBL(&slot(), kKindKt3600r), 0);
  EXPECT_EQ(slot().dwLastError, kErrWrongAnswer);
}

TEST_F(LinkAnswerTest, ClosedWithoutAnswerGivesThreeEmptyReceives) {
  sim_.addFault({.code = "BZS", .action = FaultAction::NoAnswerClose});
  ExchangeResult r = exchangeOnSlot(0, "2S200BZS");
  EXPECT_EQ(outcome(r), Outcome(kExNoRightAnswer, kErrSocketReceive, 0));
  const std::string log = logText();
  const std::string empty =
      cp932("(詳細ログ@110)KT3600Rから-->PCの受信が失敗しました。(ret == 0);");
  EXPECT_EQ(occurrences(log, empty), 3u);
}

TEST_F(LinkAnswerTest, NoAnswerTimesOutAsAReceiveFailure) {
  ASSERT_NE(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
  ASSERT_EQ(SetTimeOut(0, 100, 100, 0), 0);
  sim_.addFault({.code = "BZS", .action = FaultAction::NoAnswer});
  ExchangeResult r = exchangeOnSlot(0, "2S200BZS");
  EXPECT_EQ(outcome(r), Outcome(kExRecvFailed, kErrSocketReceive, platform::kNetTimedOut));
}

TEST_F(LinkAnswerTest, ResetBeforeTheSendFailsAtOnceWithFlagFourOrRetriesOnce) {
  for (int flags : {kExNoResetRetry, 0}) {
    SCOPED_TRACE(flags);
    KT36R_CloseSocket(0, 0);
    const size_t logStart = logText().size();
    const size_t connections = sim_.connections().size();
    ASSERT_NE(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
    ASSERT_TRUE(sim_.waitForConnections(ktsim::Port::Command, connections + 1, 2s));
    sim_.addFault({.code = "LES", .action = FaultAction::Reset});
    EXPECT_EQ(exchangeOnSlot(0, "2S200LES", kExSendOnly).result, 0);
    ASSERT_TRUE(waitAllClosed());
    ASSERT_EQ(platform::netWaitReadable(slot().skKT, 2000), 1);  // the reset has arrived

    // Without flag 4 the retry asks for the connection again, which hands back the one in
    // the slot.
    ExchangeResult r = exchangeOnSlot(0, "2S200BZS", flags);
    EXPECT_EQ(outcome(r), Outcome(kExSendFailed, kErrSocketSend, platform::kNetConnReset));
    const std::string log = logText().substr(logStart);
    EXPECT_NE(log.find(cp932("(詳細ログ@104)")), std::string::npos);
    EXPECT_EQ(log.find(cp932("(詳細ログ@105)")) != std::string::npos, flags == 0);  // the retry
    EXPECT_NE(log.find(cp932(flags == 0 ? "(詳細ログ@106)" : "(詳細ログ@109)")), std::string::npos);
  }
}

// Without flag 4 the receive is tried once more on the connection the slot hands back,
// which has ended: the answer never comes.
TEST_F(LinkAnswerTest, ResetInsteadOfAnAnswer) {
  const struct {
    int flags, result, error;
  } rows[] = {{kExNoResetRetry, kExRecvFailed, platform::kNetConnReset}, {0, kExNoRightAnswer, 0}};
  for (const auto& [flags, result, error] : rows) {
    SCOPED_TRACE(flags);
    const size_t logStart = logText().size();
    sim_.addFault({.code = "BZS", .action = FaultAction::Reset});
    ExchangeResult r = exchangeOnSlot(0, "2S200BZS", flags);
    EXPECT_EQ(outcome(r), Outcome(result, kErrSocketReceive, error));
    const std::string log = logText().substr(logStart);
    EXPECT_NE(log.find(cp932("(詳細ログ@111)")), std::string::npos);
    EXPECT_EQ(log.find(cp932("(詳細ログ@113)")) != std::string::npos, flags == 0);
    KT36R_CloseSocket(0, 0);
  }
}

TEST_F(LinkAnswerTest, ATricklingAnswerIsCutOffAfterOneReceiveTimeOut) {
  ASSERT_NE(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
  ASSERT_EQ(SetTimeOut(0, 300, 300, 0), 0);
  // One byte at a time, 3 s for the whole answer.
  sim_.addFault({.code = "STS", .action = FaultAction::Split, .delay = 50ms, .segments = 59});
  ExchangeResult r = exchangeOnSlot(0, "2S200STS");
  EXPECT_EQ(r.result, kExNoRightAnswer);
  EXPECT_EQ(slot().dwLastError, kErrSocketReceive);
}

TEST_F(LinkAnswerTest, ReceiveOnlyAcceptsWhateverCameAndSendOnlyReturnsZero) {
  EXPECT_EQ(exchangeOnSlot(0, "2S200BZS", kExSendOnly).result, 0);
  ASSERT_TRUE(sim_.waitForFrames("BZS", 1, 2s));
  ExchangeResult r = exchangeOnSlot(0, "2S200LES", kExReceiveOnly);
  ASSERT_EQ(r.result, 15);
  EXPECT_EQ(r.answer.substr(5, 8), "2S200BZR");  // not the LES answer: nothing was sent
  EXPECT_TRUE(sim_.receivedFrames("LES").empty());
}

// ---- Connections -------------------------------------------------------------------------

using LinkConnectionTest = LinkSimTest;

TEST_F(LinkConnectionTest, OpenSocketIsReusedUnlessForced) {
  const auto first = KT36R_CreateSocket(0, 0, 0);
  ASSERT_NE(first, kInvalidSocket);
  EXPECT_EQ(KT36R_CreateSocket(0, 0, 0), first);
  ASSERT_TRUE(sim_.waitForConnections(ktsim::Port::Command, 1, 2s));
  EXPECT_EQ(sim_.connections().size(), 1u);

  const auto forced = KT36R_CreateSocket(0, 1, 0);
  ASSERT_NE(forced, kInvalidSocket);
  ASSERT_TRUE(sim_.waitForConnections(ktsim::Port::Command, 2, 2s));
  EXPECT_FALSE(sim_.connections().front().open);
}

TEST_F(LinkConnectionTest, MissingAddressOrPort) {
  slot().CurKTRInfoST.IpAddrUL = 0;
  EXPECT_EQ(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
  EXPECT_EQ(slot().dwLastError, kErrNoAddress);
  slot().CurKTRInfoST.IpAddrUL = sim_.addressValue();
  slot().CurKTRInfoST.PortFinUW = 0;
  EXPECT_EQ(KT36R_CreateSocket(0, 0, 1), kInvalidSocket);
  EXPECT_EQ(slot().dwLastError, kErrNoAddress);
  EXPECT_EQ(SE_CreateSocket(0, 1, &slot()), kInvalidSocket);
  EXPECT_EQ(slot().dwLastError, kErrNoAddress);
  ExchangeResult r = exchangeOnSlot(0, "2S200GMS0000000000", 0, 1);
  EXPECT_EQ(r.result, kExNoSocket);
  EXPECT_EQ(slot().dwLastError, kErrNoAddress);
  EXPECT_TRUE(messages_.empty());  // an unset address is not a socket error box
  EXPECT_EQ(KtSendRecvExFnI(kSlotCount, 0, 0), kExNoSocket);
}

TEST_F(LinkConnectionTest, RefusedConnectShowsTheSocketError) {
  sim_.stop();
  EXPECT_EQ(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
  EXPECT_EQ(slot().dwLastError, kErrSocket);
  EXPECT_EQ(slot().dwError, platform::kNetConnRefused);
  EXPECT_EQ(slot().skKT, kInvalidSocket);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].text.find("No.10061"), std::string::npos);
  // A socket without a connection is closed at once, the two refused shutdowns its only
  // trace (no wait for a peer's end of stream, nothing to drain).
  const std::string log = logText();
  EXPECT_NE(log.find("shutdown(SD_SEND) failed, err=10057"), std::string::npos) << log;
  EXPECT_NE(log.find("shutdown(0) failed, err=10057"), std::string::npos) << log;
  EXPECT_EQ(log.find("wait close timeout"), std::string::npos) << log;
  EXPECT_EQ(log.find("recv() failed"), std::string::npos) << log;

  // An address no connection can reach fails at once, without the wait.
  slot().CurKTRInfoST.IpAddrUL = 0xFFFFFFFF;
  EXPECT_EQ(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
  EXPECT_EQ(slot().dwLastError, kErrSocket);
  EXPECT_NE(slot().dwError, 0);
  EXPECT_EQ(slot().skKT, kInvalidSocket);
}

TEST_F(LinkConnectionTest, SetTimeOutOnNoSocketFailsBoth) {
  EXPECT_EQ(SetTimeOut(0, 500, 500, 0), -3);
  ASSERT_NE(KT36R_CreateSocket(0, 0, 1), kInvalidSocket);
  EXPECT_EQ(SetTimeOut(0, 500, 500, 1), 0);
  EXPECT_EQ(SetTimeOut(0, -1, 500, 1), -1);
  EXPECT_EQ(SetTimeOut(0, 500, -1, 1), -2);
}

TEST_F(LinkConnectionTest, CloseIsGracefulAndCopesWithAGonePrinter) {
  auto s = KT36R_CreateSocket(0, 0, 0);
  ASSERT_NE(s, kInvalidSocket);
  ASSERT_TRUE(sim_.waitForConnections(ktsim::Port::Command, 1, 2s));
  EXPECT_EQ(s_closesocket(s, 2000), 0);
  EXPECT_TRUE(waitAllClosed());
  EXPECT_FALSE(sim_.connections().front().closedByPrinter);  // the printer saw the end
  EXPECT_EQ(s_closesocket(kInvalidSocket, 2000), 0);

  slot().skKT = kInvalidSocket;
  s = KT36R_CreateSocket(0, 0, 0);
  ASSERT_NE(s, kInvalidSocket);
  ASSERT_TRUE(sim_.waitForConnections(ktsim::Port::Command, 2, 2s));
  sim_.closeConnections();
  ASSERT_TRUE(waitAllClosed());
  EXPECT_EQ(s_closesocket(s, 2000), 0);
  slot().skKT = kInvalidSocket;
}

// ---- Pauses after a close, through the injected clock -------------------------------------

using LinkPauseTest = LinkSimTest;

TEST_F(LinkPauseTest, CommandSocketWaitsFiftyMillisecondsAfterAClose) {
  FakeClock clock;
  ASSERT_NE(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
  KT36R_CloseSocket(0, 0);
  EXPECT_EQ(slot().dwCloseTick, clock.now());
  clock.takeSleeps();

  ASSERT_NE(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
  EXPECT_EQ(clock.takeSleeps(), std::vector<uint32_t>{50});

  KT36R_CloseSocket(0, 0);
  clock.advance(20);
  ASSERT_NE(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
  EXPECT_EQ(clock.takeSleeps(), std::vector<uint32_t>{30});

  KT36R_CloseSocket(0, 0);
  clock.advance(50);
  ASSERT_NE(KT36R_CreateSocket(0, 0, 0), kInvalidSocket);
  EXPECT_TRUE(clock.takeSleeps().empty());

  // The finish connection has no pause, and closing it stamps nothing.
  const uint32_t stamp = slot().dwCloseTick;
  ASSERT_NE(KT36R_CreateSocket(0, 0, 1), kInvalidSocket);
  KT36R_CloseSocket(0, 1);
  EXPECT_EQ(slot().dwCloseTick, stamp);
  ASSERT_NE(KT36R_CreateSocket(0, 0, 1), kInvalidSocket);
  EXPECT_TRUE(clock.takeSleeps().empty());
}

TEST_F(LinkPauseTest, AuxiliaryChannelWaitsAHundredMillisecondsForEitherSocket) {
  FakeClock clock;
  ASSERT_NE(SE_CreateSocket(0, 0, &slot()), kInvalidSocket);
  SE_CloseSocketFnV(0, &slot());
  clock.takeSleeps();

  ASSERT_NE(SE_CreateSocket(0, 1, &slot()), kInvalidSocket);  // the finish socket too
  EXPECT_EQ(clock.takeSleeps(), std::vector<uint32_t>{100});
  EXPECT_EQ(slot().dwRseConnFlags & kRseConnFinish, kRseConnFinish);

  // Closing a socket that is not open still stamps the tick.
  clock.advance(500);
  SE_CloseSocketFnV(0, &slot());
  clock.advance(30);
  ASSERT_NE(SE_CreateSocket(0, 0, &slot()), kInvalidSocket);
  EXPECT_EQ(clock.takeSleeps(), std::vector<uint32_t>{70});
}

TEST_F(LinkPauseTest, AuxiliaryChannelRetriesFiveTimesThenShowsTheError) {
  FakeClock clock;
  sim_.stop();
  EXPECT_EQ(SE_CreateSocket(0, 0, &slot()), kInvalidSocket);
  EXPECT_EQ(clock.takeSleeps(), (std::vector<uint32_t>{500, 500, 500, 500}));
  EXPECT_EQ(slot().dwLastError, kErrSocket);
  EXPECT_EQ(slot().dwError, platform::kNetConnRefused);
  EXPECT_EQ(slot().skKT, kInvalidSocket);
  EXPECT_EQ(slot().skFin, kInvalidSocket);
  ASSERT_EQ(messages_.size(), 1u);
  const std::string log = logText();
  EXPECT_NE(log.find(cp932("(詳細ログ)SE_CreateSocket connect aborted.")), std::string::npos);
  EXPECT_EQ(occurrences(log, "failed, LE=10061, try again..."), 5u);
}

TEST_F(LinkPauseTest, ConnectTimeoutSettingHasAFloor) {
  EXPECT_EQ(SE_ConnectTimeoutMs(), 2000);
  const std::pair<const char*, int> rows[] = {
      {"500", 1500}, {"3000", 3000}, {"999999999", kSeConnectTimeoutMax}, {"-5", 1500}};
  for (const auto& [value, ms] : rows) {
    writeIni("System Data", "Socket_ConnectTimeout", value);
    EXPECT_EQ(SE_ConnectTimeoutMs(), ms) << value;
  }
}

}  // namespace
}  // namespace nypr::test
