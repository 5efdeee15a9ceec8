// The add-folder dialog the shell shows for "Add to Wayleap...".
#pragma once

#include <windows.h>

namespace wayleap::shellext {

// Dialog procedure of template IDD_ADD_FOLDER; the creation parameter is the
// Handler whose selection and folder list it works on.
INT_PTR CALLBACK AddFolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace wayleap::shellext
