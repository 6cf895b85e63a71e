#include "expected_texts.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace nypr::testing {

std::string cp932(const std::string& utf8) {
  // The text layer writes "?" for a character CP932 lacks.
  const std::string out = platform::cp932FromUtf8(utf8);
  EXPECT_EQ(out.find('?'), utf8.find('?')) << "no CP932 form for: " << utf8;
  return out;
}

}  // namespace nypr::testing
