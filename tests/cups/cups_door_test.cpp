// What a stranger can hand the filter and the backend: every raster or page stream ends
// in whole labels or in an ERROR: line naming the page and a failing status, within bounded
// memory (the filter runs under an address-space limit, so an allocation sized by the
// stream fails the row instead of the machine); the backend's settings file is its own.
#include <cups/backend.h>
#include <cups/raster.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "label_files.h"
#include "label_page.h"
#include "sanitized_build.h"
#include "test_process.h"

namespace {

namespace fs = std::filesystem;
using nypr::test::TempDir;

struct Outcome {
  int exitCode = -1;  // -1: killed by a signal
  std::string errors;
  int labels = 0;              // whole label records on standard output
  nypr::cups::LabelPage last;  // the last label record
};

// Runs `program` with `args` under a 256 MiB address-space limit, standard input from
// `input`, the environment plus `env`; `before` is shell text run first in the process
// that becomes the program ($$ is its pid).
Outcome run(const std::string& program, std::vector<std::string> args, const fs::path& input,
            const std::vector<std::string>& env = {}, const std::string& before = "") {
  const std::string in = input.string();
  args.insert(args.begin(),
              {"/bin/sh", "-c",
               (nypr::test::kSanitizedBuild ? "" : "ulimit -v 262144; ") + before +
                   "exec \"$0\" \"$@\" <'" + in + "' >'" + in + ".out' 2>'" + in + ".err'",
               program});
  Outcome r;
  r.exitCode =
      nypr::test::runCommand(args, input.parent_path(), std::chrono::seconds(30), env).exitCode;
  r.errors = nypr::test::readFile(in + ".err");
  if (std::FILE* f = std::fopen((in + ".out").c_str(), "rb")) {
    nypr::cups::LabelPage page;
    std::string error;
    while (nypr::cups::readLabelPage(f, page, error) == nypr::cups::ReadResult::Page) {
      ++r.labels;
      r.last = page;
    }
    std::fclose(f);
  }
  return r;
}

// Raster streams as a stranger could send them: the sync word, then raw header words (any
// value) and raw bytes; or whole pages of a striped 16 x 4 dot label as libcups writes them.
std::string bytesOf(const void* p, size_t n) {
  return std::string(static_cast<const char*>(p), n);
}
const uint32_t kSyncWord = CUPS_RASTER_SYNC;
const std::string kSync = bytesOf(&kSyncWord, sizeof kSyncWord);
#define AT(field) offsetof(cups_page_header2_t, field)

// A 16 x 4 dot page header with the 32-bit word at `field` (an offset) set to `value`.
std::string header(size_t field = AT(cupsWidth), uint32_t value = 16) {
  cups_page_header2_t h{};
  h.HWResolution[0] = h.HWResolution[1] = 300;
  h.cupsWidth = 16;
  h.cupsHeight = 4;
  h.cupsBitsPerColor = h.cupsBitsPerPixel = 1;
  h.cupsBytesPerLine = 2;
  h.cupsColorSpace = CUPS_CSPACE_K;
  std::memcpy(reinterpret_cast<unsigned char*>(&h) + field, &value, sizeof value);
  return bytesOf(&h, sizeof h);
}
std::string pages(int count) {
  const TempDir dir;
  const fs::path path = dir.path() / "pages.ras";
  nypr::test::writeRaster(
      path.string(), CUPS_RASTER_WRITE_COMPRESSED, 300, 16, 4,
      [](int x, int y) { return y % 3 == 0 && x % 8 < 4; }, 0, count);
  return nypr::test::readFile(path);
}

class CupsDoorTest : public ::testing::Test {
 protected:
  fs::path file(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return dir_ / name;
  }
  TempDir temp_;
  const fs::path dir_ = temp_.path();
};

TEST_F(CupsDoorTest, FilterEndsInWholeLabelsOrAnErrorNamingThePage) {
  const std::string onePage = pages(1), lines(8, '\0');
  const struct {
    const char* what;
    std::string stream;
    int exitCode;
    const char* says;  // in the filter's messages
    int labels;        // label records passed on
  } cases[] = {
      {"two pages, compressed", pages(2), 0, "INFO: Label 2: 16 x 4 dots", 2},
      {"bytes per line far above the width",
       kSync + header(AT(cupsBytesPerLine), 0x7FFFFFF0) + lines, 1,
       "ERROR: Page 1: the raster lines are 2147483632 bytes where 16 dots take 2", 0},
      {"cut mode 8", kSync + header(AT(CutMedia), 8) + lines, 1,
       "ERROR: Page 1: unknown cut mode 8", 0},
      {"colour space 64", kSync + header(AT(cupsColorSpace), 64), 1,
       "ERROR: Page 1: the raster is not black and white (colour space 64)", 0},
      {"241 bits per pixel on page 2", onePage + header(AT(cupsBitsPerPixel), 241), 1,
       "ERROR: Page 2: the raster has 241 bits per pixel", 1},
      {"the stream ends inside header 2", (onePage + header()).substr(0, onePage.size() + 900), 1,
       "ERROR: Page 2: the raster stream ends inside the page header", 1},
      {"the stream ends inside page 1", onePage.substr(0, onePage.size() - 3), 1,
       "ERROR: Page 1: the raster page is cut short", 0},
      {"no page at all", kSync, 1, "ERROR: No pages found", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome r =
        run(NYPR_CUPS_FILTER, {"1", "user", "title", "1", ""}, file("in.ras", c.stream));
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_NE(r.errors.find(c.says), std::string::npos) << r.errors;
    if (c.exitCode != 0 && std::string(c.says) != "ERROR: No pages found") {
      EXPECT_EQ(r.errors.find("No pages found"), std::string::npos) << r.errors;
    }
    EXPECT_EQ(r.labels, c.labels);
  }
}

// The copies argument is a stranger's text: held within what a label record takes, never
// wrapped round (4294967301 is not 5).
TEST_F(CupsDoorTest, FilterHoldsTheCopiesArgumentWithinTheLabelsLimit) {
  const std::string page = pages(1);
  const struct {
    const char* arg;
    int copies;
  } cases[] = {{"3", 3},
               {"0", 1},
               {"-7", 1},
               {"many", 1},
               {"1000000", 999999},
               {"4294967301", 999999},
               {"99999999999999999999999", 999999}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arg);
    const Outcome r =
        run(NYPR_CUPS_FILTER, {"1", "user", "title", c.arg, ""}, file("in.ras", page));
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.last.copies, c.copies);
  }
}

// A PWG page (as IPP Everywhere clients send, passed to the filter unconverted) carries its
// page count and feed transforms where CUPS raster carries the queue's label options; its
// dots reach the backend as they are.
TEST_F(CupsDoorTest, PwgPageWordsAreNotReadAsLabelOptions) {
  const fs::path path = dir_ / "page.pwg";
  nypr::test::writeRaster(
      path.string(), CUPS_RASTER_WRITE_PWG, 300, 16, 4, [](int x, int y) { return x < 4 + y; }, 100,
      1);
  const Outcome r = run(NYPR_CUPS_FILTER, {"1", "user", "title", "1", ""}, path);
  ASSERT_EQ(r.exitCode, 0) << r.errors;
  EXPECT_EQ(std::tuple(r.last.speed, r.last.darkness, r.last.peel, r.last.gapTenths),
            std::tuple(0, 0, false, 30));
  // The dots as the driver reads them: a set bit white.
  EXPECT_EQ(r.last.bits, (std::vector<uint8_t>{0x0F, 0xFF, 0x07, 0xFF, 0x03, 0xFF, 0x01, 0xFF}));
}

TEST_F(CupsDoorTest, BackendEndsTheJobOnAReadErrorAndKeepsItsSettingsToItself) {
  // The shared temporary folder as a manual run or a TempDir setting gives it, with a link
  // planted where the backend used to put its settings file.
  const fs::path shared = dir_ / "tmp";
  fs::create_directories(shared);
  fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
  const fs::path victim = file("victim", "keep\n");
  const fs::path empty = file("empty", "");
  fs::create_directories(dir_ / "folder");
  const struct {
    const char* what;
    std::vector<std::string> file;  // the print file argument, or stdin
    int exitCode;
    const char* says;
  } cases[] = {
      {"a folder as the print file",
       {(dir_ / "folder").string()},
       CUPS_BACKEND_CANCEL,
       "ERROR: Label 1: the page stream cannot be read"},
      {"an empty job", {}, CUPS_BACKEND_OK, "INFO: Ready to print"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args{"1", "user", "title", "1", ""};
    args.insert(args.end(), c.file.begin(), c.file.end());
    const Outcome r = run(NYPR_CUPS_BACKEND, args, empty,
                          {"DEVICE_URI=kt3600r://127.0.0.1", "TMPDIR=" + shared.string()},
                          "ln -s '" + victim.string() + "' \"$TMPDIR/kt3600r-$$.ini\"; ");
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_NE(r.errors.find(c.says), std::string::npos) << r.errors;
    if (c.exitCode != CUPS_BACKEND_OK) {
      EXPECT_EQ(r.errors.find("Ready to print"), std::string::npos) << r.errors;
    }
    EXPECT_EQ(nypr::test::readFile(victim), "keep\n");
    for (const auto& entry : fs::directory_iterator(shared)) {
      EXPECT_TRUE(fs::is_symlink(entry.symlink_status())) << "left behind: " << entry.path();
    }
  }
}

}  // namespace
