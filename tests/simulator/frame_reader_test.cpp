// Splitting the host's byte stream into frames, including everything that is not one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ktsim/frame.h"

namespace {

using ktsim::FrameReader;

std::vector<FrameReader::Item> drain(FrameReader& r) {
  std::vector<FrameReader::Item> out;
  while (auto item = r.next()) out.push_back(*item);
  return out;
}

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

TEST(FrameReader, WaitsForTheWholeFrameByteByByte) {
  FrameReader r;
  const std::string f = ktsim::makeFrame("2S200STS");
  for (size_t i = 0; i + 1 < f.size(); ++i) {
    r.feed(f.substr(i, 1));
    EXPECT_FALSE(r.next()) << "after " << i + 1 << " bytes";
  }
  r.feed(f.substr(f.size() - 1));
  const auto item = r.next();
  ASSERT_TRUE(item);
  EXPECT_TRUE(item->valid);
  EXPECT_EQ(item->bytes, f);
  EXPECT_TRUE(r.pending().empty());
}

TEST(FrameReader, BinaryDataInsideAFrameIsPayload) {
  FrameReader r;
  const std::string payload = std::string("2S200DTI0000") + std::string("\x02\x03\x02\x00", 4);
  r.feed(ktsim::makeFrame(payload) + ktsim::makeFrame("2S200LES"));
  const auto items = drain(r);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_TRUE(items[0].valid);
  EXPECT_EQ(items[0].bytes.substr(5, payload.size()), payload);
  EXPECT_TRUE(items[1].valid);
}

TEST(FrameReader, DropsWhatCannotBeAFrameAndResynchronises) {
  struct Case {
    std::string input;
    std::string reason;
    std::string dropped;
  };
  const std::string good = ktsim::makeFrame("2S200BZS");
  const std::string stx(1, '\x02');
  const Case cases[] = {
      {"junk" + good, "no STX", "junk"},
      {stx + "0a08" + good, "bad length digits", stx + "0a08"},
      {stx + "0x", "bad length digits", stx + "0x"},
      {stx + "00082S200BZSX" + good, "no ETX", stx + "00082S200BZSX"},
      {stx + "0000" + good, "out of range", stx + "0000"},
      {stx + "9999" + good, "out of range", stx + "9999"},
  };
  for (const auto& c : cases) {
    FrameReader r;
    r.feed(c.input);
    const auto items = drain(r);
    ASSERT_FALSE(items.empty()) << c.reason;
    EXPECT_FALSE(items[0].valid) << c.reason;
    EXPECT_NE(items[0].reason.find(c.reason), std::string::npos) << items[0].reason;
    EXPECT_EQ(items[0].bytes, c.dropped.substr(0, items[0].bytes.size())) << c.reason;
    if (c.input.find(good) != std::string::npos) {
      ASSERT_FALSE(items.empty());
      EXPECT_TRUE(items.back().valid) << c.reason;
      EXPECT_EQ(items.back().bytes, good) << c.reason;
    }
  }
}

TEST(FrameReader, NeverBuffersMoreThanOneFrame) {
  FrameReader r;
  r.feed(std::string(100000, 'x'));
  const auto items = drain(r);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_FALSE(items[0].valid);
  EXPECT_TRUE(r.pending().empty());
  r.feed(std::string(1, '\x02') + "1390");
  r.feed(std::string(1000, 'y'));
  EXPECT_FALSE(r.next());
  EXPECT_LE(r.pending().size(), 1396u);
}

}  // namespace
