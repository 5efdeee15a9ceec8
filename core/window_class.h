// Recognising host windows by their class names, and deciding how a folder
// command reaches the window a menu was opened in.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

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

// The class of the shell's folder view window. A window with one among its
// own children hosts a shell view: it is a shell browser (an Explorer-style
// file dialog, the desktop, an Explorer browser control).
inline constexpr std::string_view kShellViewClass = "SHELLDLL_DefView";

// One window on the way up from the window a menu was opened in, as the
// handler sees it: its class, whether it hosts a shell view, and whether the
// next window of the chain is its parent (a child window) rather than its
// owner (a top-level window owned by another).
struct ChainWindow {
    std::string_view className;
    bool hostsShellView = false;
    bool isChild = false;
};

inline constexpr std::size_t kNoWindow = static_cast<std::size_t>(-1);

// How a folder command reaches the window, as indexes into the chain.
struct NavigationPlan {
    WindowKind kind = WindowKind::None;
    std::size_t target = kNoWindow;  // the nearest window of a known kind
    // For a standard dialog: the outermost "#32770" among the target and its
    // parents - the file dialog itself, past an application's hook or
    // template dialog inside it. Its file-name box is the last resort.
    std::size_t dialog = kNoWindow;
    // The windows that may be asked for their shell browser with message
    // 0x0407, nearest first: Explorer frames and windows hosting a shell
    // view, from the clicked window up to the target (the dialog for a
    // standard dialog; the top-level window when no kind was found). Other
    // windows use that message number for their own ends - a progress bar
    // answers with its range, a trackbar sets its own - so none of them
    // ever gets it.
    std::vector<std::size_t> browsers;
};

NavigationPlan PlanNavigation(const std::vector<ChainWindow>& chain);

}  // namespace wayleap
