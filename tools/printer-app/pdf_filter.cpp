#include "pdf_filter.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app.h"

namespace nypr::app {
namespace {

// What one document may cost before anything is rendered. Labels are at most 80 mm wide
// and 833 mm long; pages up to 104 x 1000 mm still go to the driver so that it refuses
// them with its own message, larger ones are refused here.
constexpr long long kMaxFileBytes = 64LL << 20;
constexpr int kMaxPages = 1000;
constexpr int kMaxWidthHundredths = 104 * 100;
constexpr int kMaxLengthHundredths = 1000 * 100;
constexpr double kDotsPerInch = 12 * 25.4;  // the head's 12 dots/mm
constexpr int kAdvertisedDpi = 305;

// poppler keeps global state: one document is opened or rendered at a time.
std::mutex g_poppler;

void popplerMessage(const std::string& text, void* system) {
  papplLog(static_cast<pappl_system_t*>(system), PAPPL_LOGLEVEL_DEBUG, "PDF: %s", text.c_str());
}

// A page's size in 0.01 mm as it prints (its rotation applied).
struct PageSize {
  int width = 0, length = 0;
  int widthDots() const { return (width * 12 + 50) / 100; }
  int lengthDots() const { return (length * 12 + 50) / 100; }
};

PageSize pageSize(const poppler::page& page) {
  const poppler::rectf box = page.page_rect();
  double width = box.width(), length = box.height();
  const auto turn = page.orientation();
  if (turn == poppler::page::landscape || turn == poppler::page::seascape) std::swap(width, length);
  // Points (1/72 in) to 0.01 mm; a page too large for an int is refused anyway.
  auto hundredths = [](double points) {
    const double value = std::fabs(points) * 2540.0 / 72.0;
    return value < 1e9 ? static_cast<int>(std::lround(value)) : 1000000000;
  };
  return {hundredths(width), hundredths(length)};
}

bool refuse(pappl_job_t* job, const std::string& message) {
  papplJobSetMessage(job, "%s", message.c_str());
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", message.c_str());
  return false;
}

struct Document {
  std::unique_ptr<poppler::document> pdf;
  std::vector<PageSize> sizes;
  ~Document() {
    std::lock_guard lock(g_poppler);
    pdf.reset();
  }
};

// Opens the document and checks every page before any is rendered; empty when refused.
std::unique_ptr<Document> openDocument(pappl_job_t* job) {
  const char* file = papplJobGetFilename(job);
  struct stat info {};
  if (!file || ::stat(file, &info) != 0) {
    refuse(job, "The PDF document cannot be read.");
    return nullptr;
  }
  if (info.st_size > kMaxFileBytes) {
    refuse(job, "The PDF document is larger than 64 MB.");
    return nullptr;
  }
  auto doc = std::make_unique<Document>();
  std::lock_guard lock(g_poppler);
  doc->pdf.reset(poppler::document::load_from_file(file));
  if (!doc->pdf || doc->pdf->is_locked()) {
    refuse(job, doc->pdf ? "The PDF document is protected by a password."
                         : "The PDF document is damaged or not a PDF document.");
    return nullptr;
  }
  const int pages = doc->pdf->pages();
  if (pages < 1) {
    refuse(job, "The PDF document is damaged: it has no page.");
    return nullptr;
  }
  if (pages > kMaxPages) {
    refuse(job, "The PDF document has " + std::to_string(pages) +
                    " pages: a job prints 1 to 1000 labels, one per page.");
    return nullptr;
  }
  for (int i = 0; i < pages; ++i) {
    std::unique_ptr<poppler::page> page(doc->pdf->create_page(i));
    if (!page) {
      refuse(job, "Page " + std::to_string(i + 1) + " of the PDF document is damaged.");
      return nullptr;
    }
    const PageSize size = pageSize(*page);
    if (size.widthDots() < 1 || size.lengthDots() < 1 || size.width > kMaxWidthHundredths ||
        size.length > kMaxLengthHundredths) {
      char text[200];
      std::snprintf(text, sizeof text,
                    "Page %d of the PDF document is %.1f x %.1f mm: a label is at most 80 mm "
                    "wide and 833 mm long.",
                    i + 1, size.width / 100.0, size.length / 100.0);
      refuse(job, text);
      return nullptr;
    }
    doc->sizes.push_back(size);
  }
  return doc;
}

// The page as 8-bit grey, one pixel per printer dot; invalid when poppler fails.
poppler::image renderPage(Document& doc, int index) {
  std::lock_guard lock(g_poppler);
  std::unique_ptr<poppler::page> page(doc.pdf->create_page(index));
  if (!page) return {};
  poppler::page_renderer renderer;
  renderer.set_image_format(poppler::image::format_gray8);
  renderer.set_render_hints(0);  // no anti-aliasing: bars and edges print as they are drawn
  renderer.set_paper_color(0xFFFFFFFF);
  const PageSize& size = doc.sizes[static_cast<size_t>(index)];
  return renderer.render_page(page.get(), kDotsPerInch, kDotsPerInch, 0, 0, size.widthDots(),
                              size.lengthDots());
}

bool printPdf(pappl_job_t* job, pappl_device_t* device, void*) {
  std::unique_ptr<Document> doc = openDocument(job);
  if (!doc) return false;
  pappl_printer_t* printer = papplJobGetPrinter(job);
  pappl_pr_driver_data_t driver;
  papplPrinterGetDriverData(printer, &driver);
  const auto pages = static_cast<unsigned>(doc->sizes.size());
  papplJobSetImpressions(job, static_cast<int>(pages));
  pappl_pr_options_t* options = papplJobCreatePrintOptions(job, pages, false);
  if (!options) return refuse(job, "Out of memory.");
  bool ok = driver.rstartjob_cb(job, options, device);
  bool started = ok;  // the driver ends its own job when one of its callbacks fails
  for (unsigned i = 0; ok && i < pages && !papplJobIsCanceled(job); ++i) {
    const poppler::image image = renderPage(*doc, static_cast<int>(i));
    const PageSize& size = doc->sizes[i];
    if (!image.is_valid() || image.width() != size.widthDots() ||
        image.height() != size.lengthDots()) {
      ok = refuse(job, "Page " + std::to_string(i + 1) + " of the PDF document cannot be drawn.");
      abandonLabelJob(job);
      started = false;
      break;
    }
    // A label of the page's size: PAPPL's media for the job does not crop it.
    options->media.size_width = size.width;
    options->media.size_length = size.length;
    cups_page_header2_t& h = options->header;
    h.cupsWidth = static_cast<unsigned>(image.width());
    h.cupsHeight = static_cast<unsigned>(image.height());
    h.cupsBitsPerColor = 8;
    h.cupsBitsPerPixel = 8;
    h.cupsBytesPerLine = h.cupsWidth;
    h.cupsNumColors = 1;
    h.cupsColorSpace = CUPS_CSPACE_SW;
    h.cupsColorOrder = CUPS_ORDER_CHUNKED;
    h.HWResolution[0] = h.HWResolution[1] = kAdvertisedDpi;
    h.PageSize[0] = static_cast<unsigned>(size.width * 72 / 2540);
    h.PageSize[1] = static_cast<unsigned>(size.length * 72 / 2540);
    if (!driver.rstartpage_cb(job, options, device, i)) {
      ok = started = false;
      break;
    }
    for (unsigned y = 0; ok && y < h.cupsHeight; ++y) {
      const auto* row = reinterpret_cast<const unsigned char*>(image.const_data()) +
                        static_cast<size_t>(y) * static_cast<size_t>(image.bytes_per_row());
      if (!driver.rwriteline_cb(job, options, device, y, row)) ok = started = false;
    }
    if (ok && !driver.rendpage_cb(job, options, device, i)) ok = started = false;
  }
  if (started && !driver.rendjob_cb(job, options, device)) ok = false;
  papplJobDeletePrintOptions(options);
  return ok || papplJobIsCanceled(job);
}

}  // namespace

void addPdfFilter(pappl_system_t* system) {
  poppler::set_debug_error_function(popplerMessage, system);
  papplSystemAddMIMEFilter(system, "application/pdf", "image/pwg-raster", printPdf, nullptr);
}

}  // namespace nypr::app
