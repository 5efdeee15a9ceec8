// The display scale a window is shown at.
#pragma once

#include <windows.h>

// Sent to child windows once their top-level window has taken a new scale
// (Windows 10 1703 and later).
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace wayleap {

// The DPI of the monitor `window` is on, for a per-monitor-aware program
// (GetDpiForWindow, where Windows has it); else the system's. 96 is 100 %.
UINT WindowDpi(HWND window);

}  // namespace wayleap
