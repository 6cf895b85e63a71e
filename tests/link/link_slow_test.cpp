// A printer that accepts no connection: the 5 s connect time-out of the main link.
#include <gtest/gtest.h>

#include "link/connection.h"
#include "link_fixture.h"
#include "status/error_text.h"

namespace nypr::test {
namespace {

TEST_F(LinkSimTest, ConnectTimesOutAgainstAFullAcceptQueue) {
  sim_.setAccepting(ktsim::Port::Command, false);
  EXPECT_EQ(KT36R_CreateSocket(0, 0, 0), platform::kInvalidSocket);
  EXPECT_EQ(slot().dwLastError, kErrSocket);
  EXPECT_EQ(slot().dwError, platform::kNetTimedOut);
  EXPECT_EQ(slot().skKT, platform::kInvalidSocket);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].text.find("No.10060"), std::string::npos);
  sim_.setAccepting(ktsim::Port::Command, true);
}

}  // namespace
}  // namespace nypr::test
