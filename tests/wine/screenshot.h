// Screenshots from inside a Wine test: the screen area of a window (or the
// whole screen) saved as a 24-bit BMP, for people to look at.
#pragma once

#include <windows.h>

#include <string>

namespace wayleap::test {

// Saves what the screen shows in the rectangle of `window` (the whole screen
// when null) to `path`. False when nothing could be captured or written.
bool SaveScreenshot(const std::string& path, HWND window = nullptr);
// Saves what the screen shows in `rect` (screen coordinates).
bool SaveScreenshot(const std::string& path, const RECT& rect);

// The directory named by WAYLEAP_SCREENSHOTS (with a trailing backslash), or
// empty when screenshots are not wanted.
std::string ScreenshotDir();

// When screenshots are wanted: repaints `window` and saves it as NAME.bmp in
// the screenshot directory.
void Snapshot(const std::string& name, HWND window);

}  // namespace wayleap::test
