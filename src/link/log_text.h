// Log lines of the printer link as the host's log functions want them: CP932.
//
// The sources are UTF-8; each Japanese line is converted once, on first use, and kept.
// Declare them as static objects: `static Cp932Text kLine{"(詳細ログ@101)..."};`.
#pragma once

#include <mutex>
#include <string>

namespace nypr {

class Cp932Text {
 public:
  explicit constexpr Cp932Text(const char* utf8) : utf8_(utf8) {}
  Cp932Text(const Cp932Text&) = delete;
  Cp932Text& operator=(const Cp932Text&) = delete;

  // The CP932 form, converted on the first call (thread-safe).
  const char* get() const;
  operator const char*() const { return get(); }

 private:
  const char* utf8_;
  mutable std::once_flag once_;
  mutable std::string cp932_;
};

}  // namespace nypr
