#include "picture_decode.h"

#include <cstdlib>
#include <cstring>

#include "translation.h"

namespace ktprint {
namespace {

// What the decoder may still allocate for the picture at hand: a few bytes per declared
// pixel, so a small file that inflates to gigabytes fails instead of the machine.
thread_local size_t g_budget = 0;

struct alignas(16) BlockHead {
  size_t size;
};

void* budgetMalloc(size_t size) {
  if (size > g_budget) return nullptr;
  auto* head = static_cast<BlockHead*>(std::malloc(sizeof(BlockHead) + size));
  if (head == nullptr) return nullptr;
  g_budget -= size;
  head->size = size;
  return head + 1;
}

void budgetFree(void* block) {
  if (block == nullptr) return;
  BlockHead* head = static_cast<BlockHead*>(block) - 1;
  g_budget += head->size;
  std::free(head);
}

void* budgetRealloc(void* block, size_t size) {
  if (block == nullptr) return budgetMalloc(size);
  BlockHead* head = static_cast<BlockHead*>(block) - 1;
  const size_t old = head->size;
  if (size > old && size - old > g_budget) return nullptr;
  auto* moved = static_cast<BlockHead*>(std::realloc(head, sizeof(BlockHead) + size));
  if (moved == nullptr) return nullptr;
  g_budget = g_budget + old - size;
  moved->size = size;
  return moved + 1;
}

}  // namespace
}  // namespace ktprint

// A private copy of the decoder with only the label formats, on the budget above.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_PNM
#define STBI_MALLOC(size) ktprint::budgetMalloc(size)
#define STBI_REALLOC(block, size) ktprint::budgetRealloc(block, size)
#define STBI_FREE(block) ktprint::budgetFree(block)
#include <stb_image.h>

namespace ktprint {
namespace {

enum class Kind { Png, Jpeg, Bmp, Gif, Pnm };

// The bytes of the file as unsigned values, never read past the end.
struct Bytes {
  std::string_view data;
  size_t size() const { return data.size(); }
  unsigned at(size_t i) const { return static_cast<unsigned char>(data[i]); }
  uint32_t be32(size_t i) const {
    return at(i) << 24 | at(i + 1) << 16 | at(i + 2) << 8 | at(i + 3);
  }
  uint32_t le32(size_t i) const {
    return at(i) | at(i + 1) << 8 | at(i + 2) << 16 | at(i + 3) << 24;
  }
  unsigned le16(size_t i) const { return at(i) | at(i + 1) << 8; }
  unsigned be16(size_t i) const { return at(i) << 8 | at(i + 1); }
  bool startsWith(const char* text) const { return data.substr(0, std::strlen(text)) == text; }
};

bool sniff(const Bytes& b, Kind& kind) {
  if (b.startsWith("\x89PNG\r\n\x1a\n")) {
    kind = Kind::Png;
  } else if (b.startsWith("\xFF\xD8\xFF")) {
    kind = Kind::Jpeg;
  } else if (b.startsWith("BM")) {
    kind = Kind::Bmp;
  } else if (b.startsWith("GIF87a") || b.startsWith("GIF89a")) {
    kind = Kind::Gif;
  } else if (b.startsWith("P5") || b.startsWith("P6")) {
    kind = Kind::Pnm;
  } else {
    return false;
  }
  return true;
}

// Chunks up to IEND, each within the file.
bool wholePng(const Bytes& b) {
  size_t at = 8;
  for (;;) {
    if (b.size() - at < 12) return false;
    const uint32_t length = b.be32(at);
    if (length > b.size() - at - 12) return false;
    if (b.data.substr(at + 4, 4) == "IEND") return true;
    at += 12 + length;
  }
}

// The Huffman tables of a DHT segment: each of at most 256 codes, all within the segment
// (the decoder fills fixed tables of 256 from the counts without checking them).
bool wellFormedTables(const Bytes& b, size_t at, size_t end) {
  while (at < end) {
    if (end - at < 17 || (b.at(at) >> 4) > 1 || (b.at(at) & 15) > 3) return false;
    size_t codes = 0;
    for (size_t i = 1; i <= 16; ++i) codes += b.at(at + i);
    if (codes > 256 || codes > end - at - 17) return false;
    at += 17 + codes;
  }
  return true;
}

// Segments up to EOI, skipping each scan's entropy-coded data; counts the scans.
bool wholeJpeg(const Bytes& b, int& scans) {
  scans = 0;
  size_t at = 2;
  for (;;) {
    if (at >= b.size() || b.at(at) != 0xFF) return false;
    while (at < b.size() && b.at(at) == 0xFF) ++at;  // fill bytes
    if (at >= b.size()) return false;
    const unsigned marker = b.at(at++);
    if (marker == 0xD9) return true;
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;  // no length
    if (b.size() - at < 2) return false;
    const unsigned length = b.be16(at);
    if (length < 2 || length > b.size() - at) return false;
    if (marker == 0xC4 && !wellFormedTables(b, at + 2, at + length)) return false;
    at += length;
    if (marker != 0xDA) continue;
    if (++scans > kMaxJpegScans) return false;
    // Entropy-coded data ends at the first marker other than a stuffed zero or a restart.
    while (at + 1 < b.size()) {
      if (b.at(at) == 0xFF) {
        const unsigned next = b.at(at + 1);
        if (next != 0 && !(next >= 0xD0 && next <= 0xD7)) break;
      }
      ++at;
    }
    if (at + 1 >= b.size()) return false;
  }
}

// The pixel rows an uncompressed BMP declares fit in the file.
bool wholeBmp(const Bytes& b) {
  if (b.size() < 30) return false;
  const uint64_t offset = b.le32(10);
  const uint64_t header = b.le32(14);
  int64_t width = 0;
  int64_t height = 0;
  unsigned bits = 0;
  uint32_t compression = 0;
  if (header == 12) {
    width = b.le16(18);
    height = b.le16(20);
    bits = b.le16(24);
  } else {
    if (b.size() < 34) return false;
    width = static_cast<int32_t>(b.le32(18));
    height = static_cast<int32_t>(b.le32(22));
    bits = b.le16(28);
    compression = b.le32(30);
  }
  if (compression != 0 && compression != 3) return false;  // RLE and embedded pictures
  if (width <= 0 || height == 0 || bits == 0 || bits > 32) return false;
  if (height < 0) height = -height;
  const uint64_t row = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t start = offset > 14 + header ? offset : 14 + header;
  return start <= b.size() && row * static_cast<uint64_t>(height) <= b.size() - start;
}

// Blocks up to the trailer, each within the file.
bool wholeGif(const Bytes& b) {
  if (b.size() < 13) return false;
  size_t at = 13;
  if (b.at(10) & 0x80) at += 3 * (size_t{2} << (b.at(10) & 7));
  auto subBlocks = [&] {
    for (;;) {
      if (at >= b.size()) return false;
      const size_t length = b.at(at++);
      if (length == 0) return true;
      if (length > b.size() - at) return false;
      at += length;
    }
  };
  for (;;) {
    if (at >= b.size()) return false;
    const unsigned block = b.at(at++);
    if (block == 0x3B) return true;
    if (block == 0x21) {
      ++at;  // label
    } else if (block == 0x2C) {
      if (b.size() - at < 10) return false;
      const unsigned flags = b.at(at + 8);
      at += 9;
      if (flags & 0x80) at += 3 * (size_t{2} << (flags & 7));
      ++at;  // LZW minimum code size
    } else {
      return false;
    }
    if (!subBlocks()) return false;
  }
}

// A binary PGM or PPM: header as the decoder reads it, then every sample in the file.
bool wholePnm(const Bytes& b, bool& sixteenBit) {
  const unsigned channels = b.at(1) == '5' ? 1 : 3;
  size_t at = 2;
  auto space = [](unsigned c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  uint64_t values[3] = {};
  for (uint64_t& value : values) {
    for (;;) {  // white space and comments
      while (at < b.size() && space(b.at(at))) ++at;
      if (at >= b.size() || b.at(at) != '#') break;
      while (at < b.size() && b.at(at) != '\n' && b.at(at) != '\r') ++at;
    }
    const size_t start = at;
    while (at < b.size() && b.at(at) >= '0' && b.at(at) <= '9' && value <= 0xFFFFFFFFu) {
      value = value * 10 + (b.at(at) - '0');
      ++at;
    }
    if (at == start) return false;
  }
  if (at >= b.size() || !space(b.at(at))) return false;
  ++at;  // the one white space before the samples
  // 16-bit samples: this decoder version converts them as 8-bit ones, past its buffer.
  sixteenBit = values[2] > 255;
  if (sixteenBit) return false;
  const uint64_t bytesPerSample = 1;
  if (values[0] == 0 || values[1] == 0 || values[0] > 0xFFFFFF || values[1] > 0xFFFFFF) {
    return false;
  }
  return values[0] * values[1] * channels * bytesPerSample <= b.size() - at;
}

// The decoder's reason, or `fallback` where it gives none (a GIF without a picture).
std::string reason(const char* fallback) {
  const char* why = stbi_failure_reason();
  return why != nullptr && *why != '\0' ? why : fallback;
}

}  // namespace

bool inspectPicture(std::string_view data, int& width, int& height, std::string& error) {
  const Bytes b{data};
  Kind kind{};
  if (!sniff(b, kind)) {
    error = tr("not a PNG, JPEG, BMP, GIF or PNM picture");
    return false;
  }
  int scans = 0;
  bool sixteenBit = false;
  bool whole = false;
  switch (kind) {
    case Kind::Png:
      whole = wholePng(b);
      break;
    case Kind::Jpeg:
      whole = wholeJpeg(b, scans);
      if (scans > kMaxJpegScans) {
        error = tr("the JPEG has too many scans");
        return false;
      }
      break;
    case Kind::Bmp:
      whole = wholeBmp(b);
      break;
    case Kind::Gif:
      whole = wholeGif(b);
      break;
    case Kind::Pnm:
      whole = wholePnm(b, sixteenBit);
      if (sixteenBit) {
        error = tr("16-bit PGM and PPM pictures are not read");
        return false;
      }
      break;
  }
  if (!whole) {
    error = tr("the picture is cut short or damaged");
    return false;
  }
  if (data.size() > static_cast<size_t>(INT32_MAX)) {
    error = tr("the picture is too large for a label");
    return false;
  }
  int channels = 0;
  g_budget = size_t{1} << 20;  // the decoder's state while it reads the header
  if (stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(data.data()),
                            static_cast<int>(data.size()), &width, &height, &channels) == 0) {
    error = reason(tr("cannot read"));
    return false;
  }
  if (width <= 0 || height <= 0 || int64_t{width} * height > kMaxPicturePixels) {
    error = tr("the picture is too large for a label");
    return false;
  }
  return true;
}

bool decodeGrey(std::string_view data, Grey& grey, std::string& error) {
  int width = 0;
  int height = 0;
  if (!inspectPicture(data, width, height, error)) return false;
  const auto pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  g_budget = data.size() + pixels * 24 + (size_t{1} << 20);
  int channels = 0;
  unsigned char* rgba =
      stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(data.data()),
                            static_cast<int>(data.size()), &width, &height, &channels, 4);
  if (rgba == nullptr) {
    error = reason(tr("cannot read"));
    // Out of budget: data that inflates far beyond what the declared size needs.
    if (error == "outofmem") error = tr("the picture is too large for a label");
    return false;
  }
  if (static_cast<size_t>(width) * static_cast<size_t>(height) != pixels) {
    stbi_image_free(rgba);
    error = tr("the picture is cut short or damaged");
    return false;
  }
  grey.width = width;
  grey.height = height;
  grey.pixels.resize(pixels);
  for (size_t i = 0; i < pixels; ++i) {
    const unsigned char* p = rgba + i * 4;
    const int luma = (299 * p[0] + 587 * p[1] + 114 * p[2] + 500) / 1000;
    const int alpha = p[3];
    grey.pixels[i] = static_cast<uint8_t>((luma * alpha + 255 * (255 - alpha) + 127) / 255);
  }
  stbi_image_free(rgba);
  return true;
}

}  // namespace ktprint
