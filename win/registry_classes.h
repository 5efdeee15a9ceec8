// Where Wayleap's COM class and its menu switch live in the registry. Since
// Windows 2000 HKEY_CLASSES_ROOT is a merged view: the user's classes
// (HKCU\Software\Classes) over the machine's (HKLM\Software\Classes).
// Explorer and the file dialogs of unelevated programs load classes and
// shell-extension handlers registered for the user alone, so a standard user
// can install, register and switch on Wayleap without administrator rights.
// Wine's HKEY_CLASSES_ROOT is the machine's alone, so both hives are read
// explicitly here.
#pragma once

#include <windows.h>

#include <string>

namespace wayleap {

inline constexpr char kClassesKey[] = "Software\\Classes";  // under HKCU or HKLM

// The view flag every access to a classes key is made with: the 64-bit view,
// in which a path means what it says on 32-bit and 64-bit Windows alike.
inline constexpr REGSAM kClassesView = KEY_WOW64_64KEY;

// What goes before "CLSID\..." under a classes key (opened with kClassesView)
// to reach this process's own view of the class: "Wow6432Node\" for a 32-bit
// process on 64-bit Windows, whose class keys Windows keeps there (and so
// does this code on Wine, which keeps the user's classes in one view only);
// empty otherwise.
const char* ClassViewPrefix();

// Opens HKCU\Software\Classes or HKLM\Software\Classes (`root`) with `access`,
// creating it when `access` may create keys and it is missing (a new profile).
LONG OpenClasses(HKEY root, REGSAM access, HKEY* key);

// The in-process server of a class (CLSID text in braces) as Windows' merged
// view gives it to this process: the user's classes first, then the
// machine's, each in this process's own view; empty when neither has it.
// `where` (when given) receives the key it was read from, such as
// "HKCU\Software\Classes\Wow6432Node\CLSID\{...}\InprocServer32".
std::string RegisteredServer(const std::string& clsid, std::string* where = nullptr);

}  // namespace wayleap
