// The user's and the machine's classes, and a class as the merged view gives it.
#include "win/registry_classes.h"

#include "win/unique_handle.h"

namespace wayleap {

const char* ClassViewPrefix() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64 ? "Wow6432Node\\" : "";
}

LONG OpenClasses(HKEY root, REGSAM access, HKEY* key) {
    const LONG opened = RegOpenKeyExA(root, kClassesKey, 0, access | kClassesView, key);
    if (opened != ERROR_FILE_NOT_FOUND || (access & KEY_CREATE_SUB_KEY) == 0) return opened;
    return RegCreateKeyExA(root, kClassesKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access | kClassesView, nullptr, key,
                           nullptr);
}

std::string RegisteredServer(const std::string& clsid, std::string* where) {
    const std::string server = "CLSID\\" + clsid + "\\InprocServer32";
    const std::string userServer = ClassViewPrefix() + server;
    // HKEY_CLASSES_ROOT in this process's own view: on Windows the merged
    // view, which has nothing of the user's left to show; on Wine the machine's.
    unique_hkey user;
    OpenClasses(HKEY_CURRENT_USER, KEY_READ, user.put());
    const struct { HKEY classes; const std::string& key; REGSAM view; const char* name; } places[] = {
        {user.get(), userServer, kClassesView, "HKCU\\Software\\Classes\\"},
        {HKEY_CLASSES_ROOT, server, 0, "HKLM\\Software\\Classes\\"},
    };
    for (const auto& place : places) {
        unique_hkey key;
        if (!place.classes ||
            RegOpenKeyExA(place.classes, place.key.c_str(), 0, KEY_READ | place.view, key.put()) != ERROR_SUCCESS) {
            continue;
        }
        char value[MAX_PATH * 2] = {};
        DWORD size = sizeof value - 1, type = 0;
        if (RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ)) {
            continue;
        }
        if (where) *where = place.name + place.key;
        return value;
    }
    return {};
}

}  // namespace wayleap
