// The page records between the raster filter and the backend: a record that is malformed,
// outside the printer's limits or cut short is refused (pages surviving the pipe: the
// raster_page fuzzer's corpus replay).
#include "label_page.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_data.h"

namespace nypr::cups {
namespace {

std::FILE* streamOf(const std::string& bytes) {
  std::FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  return f;
}

TEST(CupsLabelPage, BadRecordsAreRefused) {
  const auto rows = nypr::testing::readTestTable("cups/bad-label-pages.txt");
  ASSERT_EQ(rows.size(), 15u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 2u);
    SCOPED_TRACE(row[0]);
    std::FILE* f = streamOf(nypr::testing::unescapedField(row[1]));
    LabelPage page;
    std::string error;
    EXPECT_EQ(readLabelPage(f, page, error), ReadResult::Bad);
    EXPECT_FALSE(error.empty());
    std::fclose(f);
  }
}

}  // namespace
}  // namespace nypr::cups
