// PAPPL 1.3.1's PNG filter never returns on a PNG that libpng cannot read (damaged or cut
// short): it logs "PNG: Read Error" without end, the job stays processing and the
// application cannot stop. The application therefore reads every PNG whole, one row at a
// time, before PAPPL's filter does, and aborts the job with libpng's reason when it cannot
// be read. PAPPL registers its filter by this name from inside the library; the definition
// here takes its place and hands sound pictures on to PAPPL's own.
#include <dlfcn.h>
#include <pappl/pappl.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using Filter = bool (*)(pappl_job_t*, pappl_device_t*, void*);

// PAPPL refuses larger pictures itself before it reads their rows.
constexpr png_uint_32 kMaxSide = 16384;

struct Reader {
  char message[160];
};

void pngError(png_structp png, png_const_charp text) {
  auto* reader = static_cast<Reader*>(png_get_error_ptr(png));
  std::snprintf(reader->message, sizeof reader->message, "%s", text ? text : "unknown error");
  png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Reads the picture through to its end; false with libpng's reason in `reader`.
bool readsWhole(FILE* file, Reader& reader) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, pngError, pngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  png_bytep volatile row = nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    std::free(row);
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (width <= kMaxSide && height <= kMaxSide) {
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    row = static_cast<png_bytep>(std::malloc(png_get_rowbytes(png, info)));
    if (!row) png_error(png, "out of memory");
    for (int pass = 0; pass < passes; ++pass) {
      for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, row, nullptr);
    }
    png_read_end(png, nullptr);
  }
  std::free(row);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

extern "C" bool _papplJobFilterPNG(pappl_job_t* job, pappl_device_t* device, void* data) {
  static const auto pappl = reinterpret_cast<Filter>(dlsym(RTLD_NEXT, "_papplJobFilterPNG"));
  Reader reader{};
  FILE* file = std::fopen(papplJobGetFilename(job), "rb");
  const bool sound = file && readsWhole(file, reader);
  if (file) std::fclose(file);
  if (!sound || !pappl) {
    const char* why = !file ? "it cannot be opened" : !pappl ? "no PNG filter" : reader.message;
    papplJobSetMessage(job, "The PNG picture cannot be read: %s.", why);
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The PNG picture cannot be read: %s.", why);
    papplJobSetReasons(job, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR, PAPPL_JREASON_NONE);
    return false;
  }
  return pappl(job, device, data);
}
