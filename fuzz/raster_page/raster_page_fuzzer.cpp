// Any bytes as the raster stream CUPS hands the filter: the pages read are within the
// printer's limits, each survives the pipe to the backend unchanged, and the stream ends
// in a clean end or an error with a reason. Memory stays bounded by the label size.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "label_page.h"
#include "raster_page.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static char empty = 0;
  std::FILE* in =
      size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : fmemopen(&empty, 1, "rb");
  if (in == nullptr) return 0;
  if (size == 0) std::fgetc(in);  // fmemopen needs a buffer: start at its end
  nypr::cups::RasterReader reader(in);
  std::string error;
  if (reader.start(error)) {
    for (;;) {
      nypr::cups::LabelPage page;
      const auto result = reader.next(3, page, error);
      if (result == nypr::cups::ReadResult::End) break;
      if (result == nypr::cups::ReadResult::Bad) {
        check(!error.empty());
        break;
      }
      check(page.widthDots >= 1 && page.widthDots <= nypr::cups::LabelPage::kMaxWidthDots);
      check(page.heightDots >= 1 && page.heightDots <= nypr::cups::LabelPage::kMaxHeightDots);
      check(page.bits.size() ==
            static_cast<size_t>(page.stride()) * static_cast<size_t>(page.heightDots));
      char* record = nullptr;
      size_t recordSize = 0;
      std::FILE* pipe = open_memstream(&record, &recordSize);
      check(pipe != nullptr && nypr::cups::writeLabelPage(pipe, page));
      std::fclose(pipe);
      std::FILE* back = fmemopen(record, recordSize, "rb");
      nypr::cups::LabelPage read;
      std::string readError;
      check(nypr::cups::readLabelPage(back, read, readError) == nypr::cups::ReadResult::Page);
      check(read.widthDots == page.widthDots && read.heightDots == page.heightDots &&
            read.copies == page.copies && read.speed == page.speed &&
            read.darkness == page.darkness && read.gapTenths == page.gapTenths &&
            read.peel == page.peel && read.thermalTransfer == page.thermalTransfer &&
            read.cut == page.cut && read.bits == page.bits);
      std::fclose(back);
      std::free(record);
    }
  } else {
    check(!error.empty());
  }
  std::fclose(in);
  return 0;
}
