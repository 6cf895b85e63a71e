#include "link/log_text.h"

#include "platform/text.h"

namespace nypr {

const char* Cp932Text::get() const {
  std::call_once(once_, [this] { cp932_ = platform::cp932FromUtf8(utf8_); });
  return cp932_.c_str();
}

}  // namespace nypr
