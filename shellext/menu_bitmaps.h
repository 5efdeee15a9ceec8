// The three menu pictures, shared by every menu of the process.
#pragma once

#include <windows.h>

namespace wayleap::shellext {

struct MenuBitmapSet {
    HBITMAP folder = nullptr;     // every folder command
    HBITMAP configure = nullptr;  // configure item and the parent item
    HBITMAP add = nullptr;        // add item
};

// Loads the pictures on first use and hands out the same three afterwards:
// a menu costs no GDI objects of its own, and none can leak per menu.
MenuBitmapSet AcquireMenuBitmaps();

// Deletes the pictures. Called when no handler is alive any more and COM may
// unload the DLL (and at unload); the next menu loads them again.
void ReleaseMenuBitmaps();

void InitMenuBitmapLock();
void DeleteMenuBitmapLock();

}  // namespace wayleap::shellext
