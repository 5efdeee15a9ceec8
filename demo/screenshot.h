// The demo's pictures: the screen area of a window (or the whole screen)
// saved as a 24-bit BMP, for people to look at.
#pragma once

#include <windows.h>

#include <string>

namespace wayleap::demo {

// Saves what the screen shows in the rectangle of `window` (the whole screen
// when null) to `path`. False when nothing could be captured or written.
bool SaveScreenshot(const std::string& path, HWND window = nullptr);
// Saves what the screen shows in `rect` (screen coordinates).
bool SaveScreenshot(const std::string& path, const RECT& rect);

}  // namespace wayleap::demo
