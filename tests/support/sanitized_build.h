// Whether this build runs under AddressSanitizer, whose shadow memory reserves terabytes of
// address space: tests that bound a child's memory with an address-space limit skip it then.
#pragma once

namespace nypr::test {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif
#else
inline constexpr bool kSanitizedBuild = false;
#endif

}  // namespace nypr::test
