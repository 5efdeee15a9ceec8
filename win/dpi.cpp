// The display scale a window is shown at.
#include "win/dpi.h"

namespace wayleap {

UINT WindowDpi(HWND window) {
    using DpiOfWindow = UINT(WINAPI*)(HWND);
    const auto dpiOf = reinterpret_cast<DpiOfWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (const UINT dpi = dpiOf && window ? dpiOf(window) : 0) return dpi;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace wayleap
