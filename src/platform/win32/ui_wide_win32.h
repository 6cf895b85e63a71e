// Texts between the driver (CP932) and the wide-character window API, so the dialogs
// read right whatever the system's ANSI code page, and window handle casts.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "nyprkt3600r/platform_types.h"

namespace nypr::platform::win32ui {

inline constexpr UINT kCp932 = 932;

inline std::wstring wideFromCp932(std::string_view text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(kCp932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(kCp932, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

inline std::string cp932FromWide(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(kCp932, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, "?", nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(kCp932, 0, text.data(), static_cast<int>(text.size()), out.data(), n, "?",
                        nullptr);
  }
  return out;
}

inline HWND hwnd(NyHwnd h) {
  return static_cast<HWND>(h);
}

// The text of a window (GetWindowTextW) in CP932.
inline std::string windowTextCp932(HWND w) {
  if (w == nullptr || !IsWindow(w)) return {};
  const int length = GetWindowTextLengthW(w);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(w, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return cp932FromWide(text);
}

}  // namespace nypr::platform::win32ui
