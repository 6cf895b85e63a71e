// CP932 forms of the module strings: the one place where the UTF-8 table is converted.
#include "resources/strings.h"

#include <vector>

#include "platform/text.h"
#include "resources/string_table.h"

namespace nypr {
namespace {

// Converted once, on first use, in table order; the table never changes at run time.
const std::vector<std::string>& cp932Table() {
  static const std::vector<std::string> table = [] {
    std::vector<std::string> converted;
    const auto entries = moduleStringTable();
    converted.reserve(entries.size());
    for (const ModuleString& entry : entries) {
      converted.push_back(platform::cp932FromUtf8(entry.utf8));
    }
    return converted;
  }();
  return table;
}

const std::string* findCp932(uint32_t id) {
  const auto entries = moduleStringTable();
  size_t lo = 0;
  size_t hi = entries.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (entries[mid].id < id) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (lo == entries.size() || entries[lo].id != id) return nullptr;
  return &cp932Table()[lo];
}

}  // namespace

int loadModuleString(uint32_t id, char* buf, int size) {
  if (buf == nullptr || size <= 0) return 0;
  const std::string* text = findCp932(id);
  if (text == nullptr) {
    buf[0] = '\0';
    return 0;
  }
  return static_cast<int>(platform::copyCp932(*text, buf, static_cast<size_t>(size)));
}

std::string moduleStringCp932(uint32_t id) {
  const std::string* text = findCp932(id);
  return text != nullptr ? *text : std::string();
}

}  // namespace nypr
