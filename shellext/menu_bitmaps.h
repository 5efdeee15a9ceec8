// The three menu pictures, shared by every menu of the process.
#pragma once

#include <windows.h>

namespace wayleap::shellext {

struct MenuBitmapSet {
    HBITMAP folder = nullptr;     // every folder command
    HBITMAP configure = nullptr;  // configure item and the parent item
    HBITMAP add = nullptr;        // add item
};

// The check-mark area of the menus this thread shows, in pixels: a
// per-monitor-aware host's menus follow the DPI of its window's monitor
// (GetSystemMetricsForDpi, where Windows has it); others the system's.
SIZE MenuCheckSize();

// The pictures for menus whose check-mark area is `size`: made on first use
// for that size (from the drawn size that serves it, scaled to fit exactly)
// and handed out again afterwards: a menu costs no GDI objects of its own,
// and none can leak per menu. At 13 x 13 they are the drawn pictures as they are.
MenuBitmapSet AcquireMenuBitmaps(SIZE size);

// Deletes the pictures of every size. Called when no handler is alive any
// more and COM may unload the DLL (and at unload); the next menu makes them again.
void ReleaseMenuBitmaps();

void InitMenuBitmapLock();
void DeleteMenuBitmapLock();

}  // namespace wayleap::shellext
