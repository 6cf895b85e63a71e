// Commands answered over a real socket from the printer state. The driver's dialogs read
// and write each command's fields through the simulator; what stays here is the whole
// status block, a spoilt program upload, the answer to a printer search, and the fault
// switches the driver's tests lean on without checking them (how often a fault fires, the
// failure flag and numbers in answers).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>

#include "sim_fixture.h"

// Faults name only what differs from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using ktsim::FaultAction;
using simtest::Client;
using simtest::fields;

using SimCommands = simtest::SimFixture;

// Where each field stands is read back by the driver's status dialog through the simulator
// (display_dialog_test.cpp: versions, error, sensors, rank, head, temperatures, paper stop
// position); here the whole block with its defaults and the last status digit.
TEST_F(SimCommands, StatusBlockCarriesEveryStateField) {
  sim_.updateState([](ktsim::PrinterState& s) { s.status52 = '2'; });
  EXPECT_EQ(ask("2S200STS"),
            fields({"2S200STR", "120", "110", "250", "000", "030", "020", "010", "050", "3", "0",
                    "0253", "0221", "0", "00", "1", "000", "100", "2"}));
}

TEST_F(SimCommands, ProgramTransferWithASkippedBlockIsSpoilt) {
  Client c = connect();
  EXPECT_EQ(c.exchange("2S200INS"), "2S200INR000");
  EXPECT_EQ(c.exchange("2S200IDS0001" + std::string(512, 'B')), "2S200IDR1");
  EXPECT_EQ(c.exchange("2S200INE"), "2S200IER1");
  EXPECT_FALSE(sim_.program().complete);
}

TEST_F(SimCommands, WrongCodeIsAnsweredTheGivenNumberOfTimes) {
  const int id = sim_.addFault(
      {.code = "BZS", .times = 2, .action = FaultAction::WrongCode, .answerCode = "LER"});
  Client c = connect();
  EXPECT_EQ(c.exchange("2S200BZS"), "2S200LER0");
  EXPECT_EQ(c.exchange("2S200BZS"), "2S200LER0");
  EXPECT_EQ(c.exchange("2S200BZS"), "2S200BZR0");
  EXPECT_EQ(sim_.faultHits(id), 2);
  // Other codes were never touched.
  EXPECT_EQ(c.exchange("2S200LES"), "2S200LER0");
}

// The flag and numbers of the stop, print, raster and feed answers are read by the driver
// (CompletionTest.StopAnswersWhetherThePrinterStopped and .AFeedWithAWrongParameterIsNotWaitedFor,
// PrintLabelTest.PrinterFaultsDuringTheJob); here the status block's flag and the one-digit
// number of the cut answer.
TEST_F(SimCommands, FailureFlagsAndStatusNumbersInAnswers) {
  sim_.addFault({.code = "STS", .action = FaultAction::FailureFlag});
  sim_.addFault({.code = "CTS", .action = FaultAction::Status, .number = 7});
  Client c = connect();
  EXPECT_EQ(c.exchange("2S200STS")[42], '1');
  EXPECT_EQ(c.exchange("2S200CTS"), "2S200CTR7");
}

// Tag, machine number, MAC address and the model text cut or padded to 18 characters.
TEST(SimDiscovery, AnswersTheSearchWithMachineNumberAndModel) {
  ktsim::Options o;
  o.discovery = true;
  o.discoveryPort = 0;  // any free port on the simulator's own address
  ktsim::Simulator sim(o);
  sim.setAddresses("00809200ABCD", 0x0A000005u, 0xFF000000u, 0x0A000001u);
  sim.start();
  ASSERT_NE(sim.discoveryPort(), 0);
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(sim.discoveryPort());
  to.sin_addr.s_addr = htonl(sim.addressValue());
  for (const auto& [model, shown] :
       {std::pair{"KT-3600R", "KT-3600R          "},
        std::pair{"KT-3600R Ver2.50 with more text", "KT-3600R Ver2.50 w"}}) {
    SCOPED_TRACE(model);
    sim.setDiscoveryIdentity(7, model);
    const std::string request = "RequestMiraMachine?";
    ASSERT_EQ(::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to),
                       sizeof to),
              19);
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 3000), 1);
    char buf[256] = {};
    sockaddr_in from{};
    socklen_t len = sizeof from;
    const ssize_t n =
        ::recvfrom(fd, buf, sizeof buf - 1, 0, reinterpret_cast<sockaddr*>(&from), &len);
    EXPECT_EQ(std::string(buf, static_cast<size_t>(std::max<ssize_t>(n, 0))),
              std::string("MiraMachine07") + "00809200ABCD" + shown);
    EXPECT_EQ(ntohl(from.sin_addr.s_addr), sim.addressValue());
  }
  ::close(fd);
}

}  // namespace
