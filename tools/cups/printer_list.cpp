#include "printer_list.h"

#include <unistd.h>

#include <string>

#include "driver_text.h"
#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::cups {
namespace {

constexpr uint32_t kQuietMs = 1000;
constexpr int kMaxPrinters = 100;

// Text for a quoted field of a device line: no quotes, no control characters.
std::string quotable(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) continue;
    out.push_back(c);
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

}  // namespace

int listPrinters(std::FILE* out) {
  // The scheme itself, so that a printer the search cannot reach can still be added by
  // its address.
  std::fprintf(out, "network kt3600r \"Unknown\" \"KT3600R label printer (network)\"\n");
  NyPrFoundPrinterST found[kMaxPrinters] = {};
  // The search writes its diagnostics to standard output, where CUPS reads devices: they
  // go to standard error, its log, instead.
  std::fflush(out);
  std::fflush(stdout);
  const int saved = ::dup(1);
  ::dup2(2, 1);
  const int32_t count = NyPrSearchPrinters(kQuietMs, found, kMaxPrinters);
  std::fflush(stdout);
  if (saved >= 0) {
    ::dup2(saved, 1);
    ::close(saved);
  }
  if (count < 0) {
    std::fprintf(stderr, "DEBUG: The printer search could not run: %s (%d)\n",
                 host::searchFailureText(count), count);
    return 0;
  }
  for (int32_t i = 0; i < count; ++i) {
    const std::string address = quotable(found[i].szIPAddr);
    const std::string model = quotable(host::utf8Line(found[i].szModel));
    const std::string machine = quotable(found[i].szMachineNo);
    std::fprintf(out,
                 "network kt3600r://%s \"%s\" \"%s (%s, machine %s)\" \"MDL:%s;CMD:KT3600R;\" "
                 "\"\"\n",
                 address.c_str(), model.c_str(), model.c_str(), address.c_str(), machine.c_str(),
                 model.c_str());
  }
  std::fflush(out);
  return count;
}

}  // namespace nypr::cups
