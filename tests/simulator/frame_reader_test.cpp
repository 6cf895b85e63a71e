// Making and reading frames: what the simulator records of the host's bytes is what the
// driver tests assert on, so bytes that cannot be a frame must be set apart, no more and no
// less, and a frame split anywhere must come out whole.
#include <gtest/gtest.h>

#include <string>

#include "ktsim/frame.h"

namespace {

TEST(FrameReader, MakesAndReadsFrames) {
  const std::string bzs = std::string(1, '\x02') + "00082S200BZS\x03";
  EXPECT_EQ(ktsim::makeFrame("2S200BZS"), bzs);
  EXPECT_EQ(ktsim::makeFrame(std::string(1390, 'a')).size(), 1396u);
  EXPECT_EQ(ktsim::makeFrame(std::string(1391, 'a')), "");
  EXPECT_EQ(ktsim::makeFrame(""), "");
  EXPECT_EQ(ktsim::framePayload(bzs).value(), "2S200BZS");
  EXPECT_FALSE(ktsim::framePayload(std::string(1, '\x02') + "00092S200BZS\x03"));
  EXPECT_FALSE(ktsim::framePayload(bzs.substr(0, 13)));
}

TEST(FrameReader, DropsBadBytesUpToTheNextStxAndJoinsSplitFrames) {
  const std::string good = ktsim::makeFrame("2S200BZS");
  const std::string bad = "hello" + std::string(1, '\x02') + "00x8";
  ktsim::FrameReader r;
  for (char ch : bad + good + good) r.feed(std::string(1, ch));
  std::string dropped;
  int frames = 0;
  while (auto item = r.next()) {
    if (item->valid) {
      EXPECT_EQ(item->bytes, good);
      ++frames;
    } else {
      dropped += item->bytes;
    }
  }
  EXPECT_EQ(dropped, bad);
  EXPECT_EQ(frames, 2);
}

}  // namespace
