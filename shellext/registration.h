// Self-registration of SkipdoorCM.dll: the class entries and the type library.
#pragma once

#include <windows.h>

namespace wayleap::shellext {

// Writes the class entries (the class key is removed whole first) with the
// DLL's short path as in-process server, then registers the type library.
// Returns S_OK or the first failure.
HRESULT RegisterServer();

// Removes the class entries and unregisters the type library; ignores failures.
// CLSID itself and the shell-extension handler keys stay.
void UnregisterServer();

}  // namespace wayleap::shellext
