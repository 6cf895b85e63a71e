#include "label_page.h"

#include <cstdlib>
#include <cstring>

namespace nypr::cups {
namespace {

constexpr char kTag[] = "KT3600R-PAGE";
constexpr int kVersion = 1;
constexpr size_t kMaxLine = 128;

struct Field {
  const char* name;
  long min;
  long max;
};

// Order of the numbers after the tag.
constexpr Field kFields[] = {
    {"version", kVersion, kVersion},
    {"width", 1, LabelPage::kMaxWidthDots},
    {"height", 1, LabelPage::kMaxHeightDots},
    {"gap", 0, 999},
    {"copies", 1, LabelPage::kMaxCopies},
    {"speed", 0, 150},
    {"darkness", 0, 99},
    {"thermal transfer", 0, 1},
    {"peel", 0, 1},
    {"cut", 0, 2},
};
constexpr size_t kFieldCount = sizeof kFields / sizeof kFields[0];

}  // namespace

bool writeLabelPage(std::FILE* out, const LabelPage& page) {
  if (std::fprintf(out, "%s %d %d %d %d %d %d %d %d %d %d\n", kTag, kVersion, page.widthDots,
                   page.heightDots, page.gapTenths, page.copies, page.speed, page.darkness,
                   page.thermalTransfer ? 1 : 0, page.peel ? 1 : 0,
                   static_cast<int>(page.cut)) < 0) {
    return false;
  }
  const size_t size = static_cast<size_t>(page.stride()) * static_cast<size_t>(page.heightDots);
  if (page.bits.size() != size) return false;
  return std::fwrite(page.bits.data(), 1, size, out) == size;
}

ReadResult readLabelPage(std::FILE* in, LabelPage& page, std::string& error) {
  // The header line, read byte by byte so nothing of the raster is consumed with it.
  std::string line;
  int c;
  while ((c = std::fgetc(in)) != EOF && c != '\n') {
    if (line.size() >= kMaxLine) {
      error = "page header too long";
      return ReadResult::Bad;
    }
    line.push_back(static_cast<char>(c));
  }
  if (c == EOF && std::ferror(in)) {
    error = "the page stream cannot be read";
    return ReadResult::Bad;
  }
  if (c == EOF && line.empty()) return ReadResult::End;
  if (c == EOF) {
    error = "page header cut short";
    return ReadResult::Bad;
  }
  const size_t tagLength = sizeof kTag - 1;
  if (line.compare(0, tagLength, kTag) != 0) {
    error = "not a KT3600R page";
    return ReadResult::Bad;
  }
  long values[kFieldCount] = {};
  const char* p = line.c_str() + tagLength;
  for (size_t i = 0; i < kFieldCount; ++i) {
    if (*p != ' ') {
      error = std::string("page header: missing ") + kFields[i].name;
      return ReadResult::Bad;
    }
    ++p;
    char* end = nullptr;
    long v = std::strtol(p, &end, 10);
    if (end == p || (*end != ' ' && *end != '\0') || v < kFields[i].min || v > kFields[i].max) {
      error = std::string("page header: bad ") + kFields[i].name;
      return ReadResult::Bad;
    }
    values[i] = v;
    p = end;
  }
  if (*p != '\0') {
    error = "page header: trailing text";
    return ReadResult::Bad;
  }
  if (values[5] != 0 && values[5] < 70) {
    error = "page header: bad speed";
    return ReadResult::Bad;
  }
  page.widthDots = static_cast<int>(values[1]);
  page.heightDots = static_cast<int>(values[2]);
  page.gapTenths = static_cast<int>(values[3]);
  page.copies = static_cast<int>(values[4]);
  page.speed = static_cast<int>(values[5]);
  page.darkness = static_cast<int>(values[6]);
  page.thermalTransfer = values[7] != 0;
  page.peel = values[8] != 0;
  page.cut = static_cast<CutMode>(values[9]);
  const size_t size = static_cast<size_t>(page.stride()) * static_cast<size_t>(page.heightDots);
  page.bits.assign(size, 0xFF);
  if (std::fread(page.bits.data(), 1, size, in) != size) {
    error = std::ferror(in) ? "the page stream cannot be read" : "page raster cut short";
    return ReadResult::Bad;
  }
  return ReadResult::Page;
}

}  // namespace nypr::cups
