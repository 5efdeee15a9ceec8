// A module's own file name and its string table, as both binaries use them.
#pragma once

#include <windows.h>

#include <string>

namespace wayleap {

// The full file name of `module`; empty when it cannot be read.
std::string ModuleFileName(HMODULE module);

// A string of `module`'s string table; empty when it is missing.
std::string LoadStringFrom(HINSTANCE module, UINT id);

// A message box whose text and caption come from `module`'s string table.
int ShowStringTableMessage(HINSTANCE module, HWND owner, UINT textId, UINT captionId, UINT style);

}  // namespace wayleap
