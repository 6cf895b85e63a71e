// Template texts in CP932: the one place where the templates' UTF-8 texts are converted.
#include "platform/text.h"
#include "resources/dialog_templates.h"

namespace nypr {

std::string templateTextCp932(const char* utf8) {
  return utf8 != nullptr ? platform::cp932FromUtf8(utf8) : std::string();
}

}  // namespace nypr
