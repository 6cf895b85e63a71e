// The page records between the raster filter and the backend: a page survives the pipe,
// and a record that is malformed, outside the printer's limits or cut short is refused.
#include "label_page.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "test_data.h"

namespace nypr::cups {
namespace {

std::FILE* streamOf(const std::string& bytes) {
  std::FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  return f;
}

// Every field of a page, to compare two pages whole.
auto fieldsOf(const LabelPage& p) {
  return std::tie(p.widthDots, p.heightDots, p.gapTenths, p.copies, p.speed, p.darkness,
                  p.thermalTransfer, p.peel, p.cut, p.bits);
}

TEST(CupsLabelPage, PagesSurviveThePipeInOrder) {
  const LabelPage first{
      .widthDots = 20,
      .heightDots = 3,
      .gapTenths = 45,
      .copies = 12000,
      .speed = 150,
      .darkness = 42,
      .thermalTransfer = true,
      .cut = CutMode::EveryLabel,
      .bits = {0x00, 0x0F, 0xFF, 0x12, 0x34, 0x56, 0x0A, 0x0D, 0xFF, 0x00, 0x0A, 0x00}};
  const LabelPage second{.widthDots = 1, .heightDots = 1, .peel = true, .bits = {0x7F, 0xFF}};
  std::FILE* f = std::tmpfile();
  ASSERT_TRUE(writeLabelPage(f, first));
  ASSERT_TRUE(writeLabelPage(f, second));
  std::rewind(f);
  std::string error;
  for (const LabelPage* want : {&first, &second}) {
    LabelPage got;
    ASSERT_EQ(readLabelPage(f, got, error), ReadResult::Page) << error;
    EXPECT_EQ(fieldsOf(got), fieldsOf(*want));
  }
  LabelPage none;
  EXPECT_EQ(readLabelPage(f, none, error), ReadResult::End);
  std::fclose(f);
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
