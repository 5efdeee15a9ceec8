// Process-wide state of SkipdoorCM.dll: its instance, the paths computed when
// it is loaded, the lock count that governs unloading, and the count of live
// handler objects behind the activity rule.
#pragma once

#include <windows.h>

#include <string>

namespace wayleap::shellext {

class Module {
public:
    // DLL_PROCESS_ATTACH: remembers the instance and computes the paths.
    static void Attach(HINSTANCE instance);
    // DLL_PROCESS_DETACH by FreeLibrary: frees what Attach made.
    static void Detach();
    static HINSTANCE Instance();

    // The DLL's directory with its trailing backslash; empty when unknown or too long.
    static const std::string& Directory();
    // Directory + "FolderList.dat" (string 110); empty when it does not fit MAX_PATH.
    static const std::string& DataFilePath();
    // Directory + "Wayleap.exe"; empty when it does not fit the 264-character buffer.
    static const std::string& ProgramPath();

    // Reasons to stay loaded: live handlers, LockServer, a factory held by a client.
    static void Lock();
    static void Unlock();
    static LONG LockCount();

    // Live handler objects in the process. Returns the number the new object
    // gets: 1 when no other handler object is alive.
    static LONG HandlerCreated();
    static void HandlerDestroyed();
};

// Loads a string of the DLL's string table; empty when it is missing.
std::string LoadModuleString(UINT id);
std::wstring LoadModuleStringW(UINT id);

// A message box whose text and caption come from the DLL's string table.
void ShowModuleMessage(HWND owner, UINT textId, UINT captionId, UINT style);

}  // namespace wayleap::shellext
