// Making and reading single frames, and the reader's bound on what it buffers. How the
// stream is split into frames and bad bytes dropped is checked over a socket in
// sim_robustness_test.cpp.
#include <gtest/gtest.h>

#include <string>

#include "ktsim/frame.h"

namespace {

using ktsim::FrameReader;

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

TEST(FrameReader, NeverBuffersMoreThanOneFrame) {
  FrameReader r;
  r.feed(std::string(100000, 'x'));
  const auto item = r.next();
  ASSERT_TRUE(item);
  EXPECT_FALSE(item->valid);
  EXPECT_FALSE(r.next());
  EXPECT_TRUE(r.pending().empty());
  r.feed(std::string(1, '\x02') + "1390");
  r.feed(std::string(1000, 'y'));
  EXPECT_FALSE(r.next());
  EXPECT_LE(r.pending().size(), 1396u);
}

}  // namespace
