// Recognising host windows by their class names.
#pragma once

#include <string_view>

namespace wayleap {

// Office-style file dialogs have window classes beginning with "bosa_sdm_".
inline bool IsOfficeDialogClass(std::string_view className) {
    return className.substr(0, 9) == "bosa_sdm_";
}

// What kind of window a folder command navigates, by the class of the window
// itself or of its nearest ancestor that is one of these kinds.
enum class WindowKind {
    None,            // not one of the kinds below
    Explorer,        // "CabinetWClass" or "ExploreWClass": browses in place
    StandardDialog,  // "#32770": a standard Open/Save dialog
    OfficeDialog,    // "bosa_sdm_...": an Office-style file dialog
    Desktop,         // "#32769"
};

// The tests run in this order for each window; all comparisons are
// case-sensitive.
inline WindowKind ClassifyWindowClass(std::string_view className) {
    if (className == "CabinetWClass" || className == "ExploreWClass") return WindowKind::Explorer;
    if (className == "#32770") return WindowKind::StandardDialog;
    if (IsOfficeDialogClass(className)) return WindowKind::OfficeDialog;
    if (className == "#32769") return WindowKind::Desktop;
    return WindowKind::None;
}

}  // namespace wayleap
