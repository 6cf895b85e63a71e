// Screenshots of real windows for docs/dialogs (scripts/dialog-shots).
#pragma once

#include <windows.h>

#include <string>

namespace nypr::test {

// The window as it is on the screen, into a 24-bit BMP file. PrintWindow would be the
// obvious call, but under wine it gives only the background: the screen is copied.
bool saveWindowShot(HWND window, const std::string& path);

}  // namespace nypr::test
