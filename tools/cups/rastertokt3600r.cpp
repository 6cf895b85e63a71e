// rastertokt3600r: CUPS filter from CUPS raster to the KT3600R backend's label pages.
//
//   rastertokt3600r job user title copies options [file]
//
// Each raster page becomes one label page with the job's copies (the printer makes the
// copies itself). A page the printer cannot take, or a stream that does not end right
// after a whole page, ends the job with ERROR: naming the page and status 1.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "label_page.h"
#include "raster_page.h"

int main(int argc, char* argv[]) {
  if (argc < 6 || argc > 7) {
    std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
    return 1;
  }
  // strtoll saturates where atoi would wrap a huge count round to a small one.
  const long long asked = std::strtoll(argv[4], nullptr, 10);
  const int copies =
      static_cast<int>(std::clamp<long long>(asked, 1, nypr::cups::LabelPage::kMaxCopies));
  std::FILE* in = stdin;
  if (argc == 7 && (in = std::fopen(argv[6], "rb")) == nullptr) {
    std::fprintf(stderr, "ERROR: Unable to open raster file %s\n", argv[6]);
    return 1;
  }
  nypr::cups::RasterReader reader(in);
  std::string error;
  if (!reader.start(error)) {
    std::fprintf(stderr, "ERROR: Unable to read the raster stream: %s\n", error.c_str());
    return 1;
  }
  int pages = 0;
  int status = 0;
  for (;;) {
    nypr::cups::LabelPage page;
    const auto read = reader.next(copies, page, error);
    if (read == nypr::cups::ReadResult::End) break;
    if (read == nypr::cups::ReadResult::Bad) {
      std::fprintf(stderr, "ERROR: Page %d: %s\n", pages + 1, error.c_str());
      status = 1;
      break;
    }
    ++pages;
    std::fprintf(stderr, "INFO: Label %d: %d x %d dots\n", pages, page.widthDots, page.heightDots);
    if (!nypr::cups::writeLabelPage(stdout, page) || std::fflush(stdout) != 0) {
      std::fprintf(stderr, "ERROR: Unable to pass the label on\n");
      status = 1;
      break;
    }
  }
  if (in != stdin) std::fclose(in);
  if (status == 0 && pages == 0) {
    std::fprintf(stderr, "ERROR: No pages found\n");
    status = 1;
  }
  return status;
}
