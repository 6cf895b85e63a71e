// Judging single datagrams received during a search.
#include "discovery/search_reply.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace nypr {
namespace {

constexpr uint32_t kSender = (192u << 24) | (168u << 16) | (10u << 8) | 200u;

// The datagram sits in a larger buffer, so that a look past its size shows.
SearchReply judge(const std::string& bytes, FoundPrinterST* record) {
  std::memset(record, 0x5A, sizeof *record);
  std::vector<uint8_t> buffer(bytes.begin(), bytes.end());
  buffer.resize(bytes.size() + 32, 'Z');
  return readSearchReply(buffer.data(), bytes.size(), kSender, record);
}

// A printer's reply fills every field; too short, foreign or our own request are ignored;
// a model shorter than 18 characters is cut at the end of the text.
TEST(SearchReply, DatagramsJudgedByLengthAndTag) {
  const std::string x40(40, 'x');
  const std::string shortModel = "MiraMachine01" + std::string(12, '-') + "KT-3600R Ver!!!!";
  const struct {
    const char* label;
    std::string bytes;
    SearchReply expected;
    const char* model;  // checked for printer replies
  } cases[] = {
      {"reply", "MiraMachine05xxxxxxxxxxxxKT-8100_12 Ver1.16 tail", SearchReply::Printer,
       "KT-8100_12 Ver1.16"},
      {"40 characters", "MiraMachine01" + std::string(27, 'x'), SearchReply::Ignored, ""},
      {"41 characters", shortModel, SearchReply::Printer, "KT-3600R Ver!!!!"},
      {"own request", "RequestMiraMachine?", SearchReply::Ignored, ""},
      {"foreign tag", "MiraMachinX01" + x40, SearchReply::Ignored, ""},
      {"empty", "", SearchReply::Empty, ""},
      // A datagram that starts with a zero byte is an empty text: the listening ends.
      {"zero first", std::string("\0MiraMachine01", 14) + x40, SearchReply::Empty, ""},
      // 30 characters before the zero: too short, whatever follows it.
      {"zero at 30", "MiraMachine01" + std::string(17, 'x') + std::string(1, '\0') + x40,
       SearchReply::Ignored, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FoundPrinterST r;
    ASSERT_EQ(judge(c.bytes, &r), c.expected);
    if (c.expected == SearchReply::Printer) {
      EXPECT_STREQ(r.szModel, c.model);
      EXPECT_EQ(r.szMachineNo, c.bytes.substr(11, 2));
      EXPECT_STREQ(r.szIPAddr, "192.168.10.200");
      EXPECT_EQ(r.dwIPAddr, kSender);
    }
  }
  FoundPrinterST r;
  EXPECT_EQ(readSearchReply(nullptr, 10, kSender, &r), SearchReply::Empty);
}

}  // namespace
}  // namespace nypr
