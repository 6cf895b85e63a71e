// A Windows module handle is the DLL's HINSTANCE: its texts are STRINGTABLE resources.
#include <windows.h>

#include <string>

#include "platform/module_text.h"
#include "platform/text.h"

namespace nypr::platform {

int loadModuleText(NyHmodule module, uint32_t id, char* buf, int size) {
  if (buf != nullptr && size > 0) buf[0] = '\0';
  if (module == nullptr || buf == nullptr || size <= 0) return 0;
  const wchar_t* text = nullptr;
  // With a zero size LoadStringW hands back the resource's own read-only text.
  const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return 0;
  const int bytes = WideCharToMultiByte(932, 0, text, length, nullptr, 0, "?", nullptr);
  if (bytes <= 0) return 0;
  std::string cp932(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(932, 0, text, length, cp932.data(), bytes, "?", nullptr);
  return static_cast<int>(copyCp932(cp932, buf, static_cast<size_t>(size)));
}

}  // namespace nypr::platform
