// Sending the window a context menu was opened in to a folder: the view's
// own shell browser, a shell browser reached by message 0x0407, a file
// dialog's file-name box, an Office-style dialog's box, or a new window.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace wayleap::shellext {

// Set up and torn down with the DLL: the lock around pending restore timers.
void InitNavigationLock();
void DeleteNavigationLock();
// At an unload by FreeLibrary: frees the table of pending restores (none is
// left then: each holds the DLL until its timer has run).
void FreeNavigationState();

// A folder command's folder: its absolute id list and its path, as stored
// (ANSI) and in UTF-16. `wideOnly`: a sub-folder whose name the ANSI code
// page cannot hold, which only the UTF-16 path names truly.
struct FolderToShow {
    PCIDLIST_ABSOLUTE pidl = nullptr;
    std::string path;
    std::wstring widePath;
    bool wideOnly = false;
};

// Sends the window `invoker` (the view's site `site`, or null) to the folder.
// S_OK when it went there or will (a file dialog confirms the typed folder
// later); E_FAIL, after telling the user, when a dialog was recognised but
// could not be moved; E_FAIL silently when `invoker` is gone.
HRESULT Navigate(HWND invoker, IUnknown* site, const FolderToShow& folder, UINT restoreDelay);

}  // namespace wayleap::shellext
