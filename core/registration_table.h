// The registry entries of the handler class under a classes key, as data.
// Registration writes them in order; removal deletes the keys marked as
// removal roots with everything under them, and never touches CLSID itself.
#pragma once

namespace wayleap {

inline constexpr char kModulePlaceholder[] = "%MODULE%";

struct RegistrationRow {
    const char* key;        // under a classes key (HKEY_CLASSES_ROOT, or the user's classes)
    const char* valueName;  // nullptr: the key's default value
    const char* value;      // nullptr: the key only; may hold kModulePlaceholder
    bool forceRemove;       // registration deletes the key whole before writing it
    bool removalRoot;       // removal deletes this key with everything under it
    bool perView;           // under CLSID: 64-bit Windows keeps one for each registry view
};

#define WAYLEAP_CLSID "{6A1E27C4-93B5-4D0E-8F21-5C7D0B9A3E16}"
#define WAYLEAP_CLASS_KEY "CLSID\\" WAYLEAP_CLSID

inline constexpr char kTypeLibGuidText[] = "{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}";

// The ProgIDs and the class key are removed whole before they are written, so
// that registering over a stale or foreign registration of the same names
// leaves exactly these entries.
inline constexpr RegistrationRow kRegistrationRows[] = {
    {"SkipdoorCM.SkipdoorCMH.1", nullptr, "SkipdoorCMH Class", true, true, false},
    {"SkipdoorCM.SkipdoorCMH.1\\CLSID", nullptr, WAYLEAP_CLSID, false, false, false},
    {"SkipdoorCM.SkipdoorCMH", nullptr, "SkipdoorCMH Class", true, true, false},
    {"SkipdoorCM.SkipdoorCMH\\CLSID", nullptr, WAYLEAP_CLSID, false, false, false},
    {"SkipdoorCM.SkipdoorCMH\\CurVer", nullptr, "SkipdoorCM.SkipdoorCMH.1", false, false, false},
    {"CLSID", nullptr, nullptr, false, false, true},
    {WAYLEAP_CLASS_KEY, nullptr, "SkipdoorCMH Class", true, true, true},
    {WAYLEAP_CLASS_KEY "\\ProgID", nullptr, "SkipdoorCM.SkipdoorCMH.1", false, false, true},
    {WAYLEAP_CLASS_KEY "\\VersionIndependentProgID", nullptr, "SkipdoorCM.SkipdoorCMH", false, false, true},
    {WAYLEAP_CLASS_KEY "\\InprocServer32", nullptr, kModulePlaceholder, false, false, true},
    {WAYLEAP_CLASS_KEY "\\InprocServer32", "ThreadingModel", "Apartment", false, false, true},
    {WAYLEAP_CLASS_KEY "\\TypeLib", nullptr, "{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}", false, false, true},
};

#undef WAYLEAP_CLASS_KEY
#undef WAYLEAP_CLSID

}  // namespace wayleap
