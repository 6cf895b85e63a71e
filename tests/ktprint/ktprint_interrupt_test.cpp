// Ctrl-C during a job: the test sends SIGINT (not under wine: a console control event
// reaches only processes that share a console, which a test under ctest has not).
#include <stb_image_write.h>

#include <string>
#include <vector>

#include "host_fixture.h"
#include "ktprint_runner.h"

namespace nypr::test {
namespace {

class KtprintInterruptTest : public SimulatorTest {};

TEST_F(KtprintInterruptTest, CtrlCStopsTheJobAndExits130) {
  std::vector<uint8_t> grey(24 * 12, 0);
  const std::string picture = (dir_ / "tiny.png").string();
  ASSERT_NE(stbi_write_png(picture.c_str(), 24, 12, 1, grey.data(), 24), 0);
  sim_.setIssueHold(true);  // the printer takes the label but issues nothing
  auto r = runKtprint(iniPath_, {"print", picture, "--copies", "5"}, {}, "copies issued 0 of 5");
  sim_.setIssueHold(false);
  EXPECT_EQ(r.exitCode, 130) << r.err;
  EXPECT_NE(r.err.find("copies issued 0 of 5"), std::string::npos) << r.err;
  for (const auto& job : sim_.jobs()) EXPECT_EQ(job.copiesIssued, 0);
}

}  // namespace
}  // namespace nypr::test
