#include "link_fixture.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "link/aux_channel.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link/frame.h"
#include "nyhost/nyhost_control.h"
#include "platform/net.h"

namespace nypr::test {

void attachSlot(uint8_t n, const ktsim::Simulator& sim) {
  detachSlot(n);
  PrinterSlot& s = stKtRSE[n];
  s.CurKTRInfoST.PortComUW = sim.commandPort();
  s.CurKTRInfoST.PortFinUW = sim.finishPort();
  s.CurKTRInfoST.IpAddrUL = sim.addressValue();
  s.CurKTRInfoST.ProtoUW = 0;
  s.CurKTRInfoST.PrinterNoUB = n;
}

void detachSlot(uint8_t n) {
  KT36R_CloseSocket(n, 0);
  KT36R_CloseSocket(n, 1);
  PrinterSlot& s = stKtRSE[n];
  s.skKT = platform::kInvalidSocket;
  s.skFin = platform::kInvalidSocket;
  s.dwRseConnFlags = 0;
  s.CurKTRInfoST = KtrInfo{};
  s.dwLastError = kNoError;
  s.dwError = static_cast<int32_t>(kNoError);
  s.lpSendBuf = nullptr;
  s.lpRecvBuf = nullptr;
}

ExchangeResult exchangeOnSlot(uint8_t n, const std::string& payload, int flags, int isFin,
                              int recvSize) {
  std::vector<char> send(payload.size() + 8, '\0');
  std::vector<char> recv(static_cast<size_t>(recvSize), '\0');
  std::copy(payload.begin(), payload.end(), send.begin() + 5);
  PrinterSlot& s = stKtRSE[n];
  s.SendSize = KtMakeFrameFnI(send.data(), static_cast<int>(payload.size()));
  s.RecvSize = recvSize;
  s.lpSendBuf = send.data();
  s.lpRecvBuf = recv.data();
  ExchangeResult r;
  r.result = KtSendRecvExFnI(n, flags, isFin);
  if (r.result > 0) r.answer.assign(recv.data(), static_cast<size_t>(r.result));
  s.lpSendBuf = nullptr;
  s.lpRecvBuf = nullptr;
  return r;
}

std::string wireFrame(const std::string& payload) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04zu", payload.size());
  return "\x02" + std::string(digits) + payload + "\x03";
}

void LinkSimTest::SetUp() {
  SimulatorTest::SetUp();
  logPath_ = (dir_ / "driver.log").string();
  nyhostSetLogFile(logPath_.c_str());
  attachSlot(0, sim_);
}

void LinkSimTest::TearDown() {
  detachSlot(0);
  nyhostSetLogFile(nullptr);
  SimulatorTest::TearDown();
}

void LinkSimTest::sendEarlierRequest(const std::string& payload) {
  const std::string frame = wireFrame(payload);
  ASSERT_TRUE(platform::isOpenSocket(slot().skKT));
  ASSERT_EQ(platform::netSend(slot().skKT, frame.data(), static_cast<int>(frame.size())),
            static_cast<int>(frame.size()));
}

bool LinkSimTest::waitAllClosed() {
  // At least one connection: the simulator accepts asynchronously, so "none open" alone
  // may hold before it has even seen ours.
  return sim_.waitFor(
      [this] {
        const auto all = sim_.connections();
        return !all.empty() && std::none_of(all.begin(), all.end(), [](auto& c) { return c.open; });
      },
      std::chrono::seconds(5));
}

int LinkSimTest::headCheck(char (&result)[217]) {
  char check[21] = "........000109600020";
  return SE_HeadCheckFnBL(&slot(), check, result, kKindKt3600r);
}

std::string LinkSimTest::logText() {
  std::ifstream in(logPath_, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  // The host writes the log in UTF-8; the tests compare with the driver's own CP932.
  return cp932(ss.str());
}

}  // namespace nypr::test
