// The process-wide sub-folder listings of SkipdoorCM.dll: folders listed with
// FindFirstFileA on threads of their own, which keep the DLL loaded while
// they run.
#pragma once

#include "core/subfolder_listings.h"

namespace wayleap::shellext {

// Made when the DLL is loaded; null when that failed (out of memory).
SubfolderListings* Listings();
void CreateListings();
// Only when the DLL is unloaded by FreeLibrary: every listing thread holds a
// reference to the DLL, so none is left by then. At process exit the threads
// are gone without having let go of anything, so nothing is touched.
void DestroyListings();

}  // namespace wayleap::shellext
