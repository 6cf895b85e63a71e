// rastertokt3600r: CUPS filter from CUPS raster to the KT3600R backend's label pages.
//
//   rastertokt3600r job user title copies options [file]
//
// Each raster page becomes one label page with the job's copies (the printer makes the
// copies itself). A page the printer cannot take ends the job with ERROR: and status 1.
#include <cups/raster.h>
#include <fcntl.h>
#include <unistd.h>

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
  int copies = std::atoi(argv[4]);
  if (copies < 1) copies = 1;
  if (copies > nypr::cups::LabelPage::kMaxCopies) copies = nypr::cups::LabelPage::kMaxCopies;
  int fd = 0;
  if (argc == 7 && (fd = ::open(argv[6], O_RDONLY)) < 0) {
    std::fprintf(stderr, "ERROR: Unable to open raster file %s\n", argv[6]);
    return 1;
  }
  cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_READ);
  if (raster == nullptr) {
    std::fprintf(stderr, "ERROR: Unable to read the raster stream\n");
    return 1;
  }
  cups_page_header2_t header;
  int pages = 0;
  int status = 0;
  while (cupsRasterReadHeader2(raster, &header)) {
    nypr::cups::LabelPage page;
    std::string error;
    if (!nypr::cups::pageFromRaster(header, raster, copies, page, error)) {
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
  cupsRasterClose(raster);
  if (fd != 0) ::close(fd);
  if (status == 0 && pages == 0) std::fprintf(stderr, "ERROR: No pages found\n");
  return status == 0 && pages == 0 ? 1 : status;
}
