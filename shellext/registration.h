// Self-registration of SkipdoorCM.dll: the class entries and the type library.
#pragma once

#include <windows.h>

namespace wayleap::shellext {

// For every user of the machine (HKEY_CLASSES_ROOT, which an administrator
// writes) or for the user alone (HKCU\Software\Classes, in this DLL's own
// registry view; the type library too).
enum class Scope { Machine, User };

// Writes the class entries (the ProgID and class keys are removed whole
// first) with the DLL's short path as in-process server, then registers the
// type library. Returns S_OK, or the first failure after removing what it wrote.
HRESULT RegisterServer(Scope scope);

// Removes the class entries and unregisters the type library; ignores failures.
// CLSID itself and the shell-extension handler keys stay.
void UnregisterServer(Scope scope);

}  // namespace wayleap::shellext
