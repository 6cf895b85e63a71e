// The page records between the raster filter and the backend: a page survives the pipe,
// and a record that is malformed, outside the printer's limits or cut short is refused.
#include "label_page.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

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
  LabelPage first;
  first.widthDots = 20;
  first.heightDots = 3;
  first.gapTenths = 45;
  first.copies = 12000;
  first.speed = 150;
  first.darkness = 42;
  first.thermalTransfer = true;
  first.cut = CutMode::EveryLabel;
  first.bits = {0x00, 0x0F, 0xFF, 0x12, 0x34, 0x56, 0x0A, 0x0D, 0xFF, 0x00, 0x0A, 0x00};
  LabelPage second;
  second.widthDots = 1;
  second.heightDots = 1;
  second.peel = true;
  second.bits = {0x7F, 0xFF};
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
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"another format", "P4\n1 1\n"},
      {"width above the head", "KT3600R-PAGE 1 961 1 30 1 0 0 0 0 0\n"},
      {"no height", "KT3600R-PAGE 1 8 0 30 1 0 0 0 0 0\n"},
      {"too long", "KT3600R-PAGE 1 8 6001 30 1 0 0 0 0 0\n"},
      {"no copies", "KT3600R-PAGE 1 8 1 30 0 0 0 0 0 0\n"},
      {"speed below the printer's", "KT3600R-PAGE 1 8 1 30 1 69 0 0 0 0\n"},
      {"darkness 100", "KT3600R-PAGE 1 8 1 30 1 0 100 0 0 0\n"},
      {"unknown cut", "KT3600R-PAGE 1 8 1 30 1 0 0 0 0 3\n"},
      {"other version", "KT3600R-PAGE 2 8 1 30 1 0 0 0 0 0\n"},
      {"missing field", "KT3600R-PAGE 1 8 1 30 1 0 0 0 0\n"},
      {"trailing text", "KT3600R-PAGE 1 8 1 30 1 0 0 0 0 0 7\n"},
      {"not a number", "KT3600R-PAGE 1 8x 1 30 1 0 0 0 0 0\n"},
      {"header without end", "KT3600R-PAGE 1 8 1 30 1 0 0 0 0 0"},
      {"endless header", "KT3600R-PAGE " + std::string(200, '1') + "\n"},
      {"raster cut short", "KT3600R-PAGE 1 16 2 30 1 0 0 0 0 0\n\x01\x02\x03"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::FILE* f = streamOf(c.bytes);
    LabelPage page;
    std::string error;
    EXPECT_EQ(readLabelPage(f, page, error), ReadResult::Bad);
    EXPECT_FALSE(error.empty());
    std::fclose(f);
  }
}

}  // namespace
}  // namespace nypr::cups
