// Resource ids of SkipdoorCM.dll, numbered as the shell extension has always numbered them.
#pragma once

#define IDS_MENU_PARENT 101      // "Wayleap"
#define IDS_MENU_CONFIGURE 102   // "Configure Wayleap..."
#define IDS_MENU_ADD 103         // "Add to Wayleap..."
#define IDS_HELP_ADD 105         // "Add current selected folder(s)"
#define IDS_HELP_CONFIGURE 106   // "Configure Wayleap"
#define IDS_VERB_LIST 107        // "WLList"
#define IDS_VERB_ADD 108         // "WLAddFolder"
#define IDS_VERB_CONFIGURE 109   // "WLConfigure"
#define IDS_DATA_FILE 110        // "FolderList.dat"
#define IDS_ERROR_CAPTION 111    // "Wayleap - Error"
#define IDS_FOLDER_NOT_FOUND 113 // "Sorry. I can not find the folder. ..."
#define IDS_THIS_FOLDER 114      // "<This Folder>"
#define IDS_BOX_TAKES_NO_NAME 115 // an old-style file-name box cannot take a folder's true name
#define IDS_DIALOG_NOT_MOVED 116  // a dialog that could not be sent to the folder from the menu

// Messages of the add-folder dialog when it cannot add safely.
#define IDS_LIST_NOT_READ 120    // the list was not read whole; nothing changed
#define IDS_SAVE_FAILED 121      // the list could not be saved; nothing changed
#define IDS_LIST_FULL 122        // the list file would be too large
#define IDS_PATH_NOT_STORABLE 123 // the folder's path is outside the ANSI code page
#define IDS_NAME_NOT_STORABLE 124 // the typed name is outside the ANSI code page
#define IDS_ALREADY_LISTED 125    // another program listed the folder meanwhile

#define IDD_ADD_FOLDER 201
#define IDC_ADD_NAME 201
#define IDC_ADD_PATH 202
#define IDC_ADD_EXPAND 204
#define IDC_ADD_SORT 205

#define IDB_FOLDER 211     // plain yellow folder: every folder command
#define IDB_CONFIGURE 213  // folder with a blue letter: configure item and the parent item
#define IDB_ADD 214        // folder with a black plus sign: add item
// The same pictures drawn larger, for menus at higher scales: the 13-pixel
// picture's id plus 1000 for 16 pixels, 2000 for 20, 3000 for 26, 4000 for 32
// (kPictureSizes in core/menu_pictures.h).
#define IDB_SIZE_STEP 1000
