// Resource ids of Wayleap.exe, numbered as the configuration program has always numbered them.
#pragma once

#define IDS_SHEET_CAPTION 110      // "Wayleap Configuration"
#define IDS_TAB_GENERAL 111        // "General"
#define IDS_TAB_FOLDERS 112        // "Folders"
#define IDS_DATA_FILE 116          // "FolderList.dat"
#define IDS_COLUMN_NAME 117        // "Name"
#define IDS_COLUMN_PATH 118        // "Path"
#define IDS_DELETE_MANY 119        // "Do you want to delete these %d items?"
#define IDS_DELETE_ONE 120         // "Do you want to delete the item?"
#define IDS_DELETE_CAPTION 121     // "Wayleap - Delete"
#define IDS_BROWSE_TITLE 122       // "Select a folder to add to Wayleap:"
#define IDS_TAB_ABOUT 123          // "About"
#define IDS_NAME_EMPTY 124         // "The name field can not be empty."
#define IDS_PATH_EMPTY 125         // "The path field can not be empty."
#define IDS_MODIFY_CAPTION 126     // "Wayleap - Modify"
#define IDS_ADD_CAPTION 127        // "Wayleap - Add"
#define IDS_COLUMN_EXPAND 129      // "Expand"
#define IDS_COLUMN_SORT 130        // "Sort"
// Messages for what cannot be done safely.
#define IDS_ERROR_CAPTION 140      // "Wayleap - Error"
#define IDS_LIST_NOT_READ 141      // the list was not read whole; it is not saved over
#define IDS_SAVE_FAILED 142        // the list could not be saved
#define IDS_LIST_FULL 143          // the list would not fit the file
#define IDS_SWITCH_FAILED 144      // the menu could not be switched on or off for the user
#define IDS_NAME_LINE_BREAK 145    // a name cannot hold a line break
#define IDS_PATH_BAD_CHAR 146      // a path cannot hold a line break or "|"
#define IDS_PATH_NOT_STORABLE 147  // a path outside the ANSI code page
#define IDS_NAME_NOT_STORABLE 148  // a name outside the ANSI code page
#define IDS_SWITCHED_ON_FOR_ALL 149 // switched off for the user, but on for every user by an administrator
#define IDS_STYLE_FAILED 150       // the menu style could not be saved
#define IDS_LIST_CHANGED 151       // another program changed the list since it was read: reload, save over, cancel
#define IDS_PATH_NO_FOLDER 152     // a path whose environment variables lead to no folder here
#define IDS_PATH_TIP 153           // a row's tooltip: where its path leads here
#define IDS_PATH_TIP_MISSING 154   // a row's tooltip: its path leads to no folder here
// Export and import of the list.
#define IDS_EXCHANGE_FILTER 160    // the file dialogs' types, "|" between the parts
#define IDS_EXPORT_TITLE 161
#define IDS_IMPORT_TITLE 162
#define IDS_IMPORT_CAPTION 163     // "Wayleap - Import"
#define IDS_IMPORT_QUESTION 165    // %1 the file, %2 how many folders it holds
#define IDS_IMPORT_UNREADABLE 166
#define IDS_IMPORT_TOO_LARGE 167
#define IDS_IMPORT_EMPTY 168
#define IDS_IMPORT_BAD_LINE 169    // %1 the file, %2 the line, %3 what is wrong with it
#define IDS_LINE_NOT_TEXT 170
#define IDS_LINE_NAME 171
#define IDS_LINE_DATA 172
#define IDS_LINE_NO_DATA 173
#define IDS_IMPORT_SKIPPED 174     // %1 added, %2 passed over as listed already
#define IDS_IMPORT_TOO_MANY 175
#define IDS_EXPORT_FAILED 176
#define IDS_EXPORT_DONE 177        // the command line's lines from here on
#define IDS_IMPORT_DONE 178
#define IDS_APPEND_DONE 179
#define IDS_CLI_NOT_READ 180
#define IDS_CLI_BUSY 182
#define IDS_CLI_SAVE_FAILED 183
#define IDS_CLI_USAGE 184

#define IDD_GENERAL 129
#define IDD_FOLDERS 130
#define IDD_ABOUT 131
#define IDD_ADD 201
#define IDD_MODIFY 202
#define IDD_IMPORT 203

#define IDI_WAYLEAP 135
#define IDR_HAND_CURSOR 181

// General page
#define IDC_ENABLE 1000
#define IDC_STYLE_SUBMENU 1001
#define IDC_STYLE_DIRECT 1002
// Folders page
#define IDC_FOLDER_LIST 1004
#define IDC_DELETE 1005
#define IDC_ADD_FOLDER 1006
#define IDC_UP 1007
#define IDC_DOWN 1008
#define IDC_EXPORT 1009
#define IDC_IMPORT 1010
// About page
#define IDC_WEB_LINK 1019
#define IDC_MAIL_LINK 1020
#define IDC_ABOUT_ICON 1021
#define IDC_ABOUT_VERSION 1022
// Add dialog
#define IDC_ADD_NAME 201
#define IDC_ADD_PATH 202
#define IDC_ADD_EXPAND 1029
#define IDC_ADD_SORT 1032
// Modify dialog
#define IDC_MODIFY_NAME 1017
#define IDC_MODIFY_PATH 1018
#define IDC_MODIFY_EXPAND 1031
#define IDC_MODIFY_SORT 1034
// Import question
#define IDC_IMPORT_TEXT 1040
#define IDC_IMPORT_REPLACE 1041
#define IDC_IMPORT_APPEND 1042
