// Which host window a folder command drives, and how, by window class names.
#include "core/window_class.h"

#include <gtest/gtest.h>

using namespace wayleap;

TEST(WindowClass, KindsByExactCaseSensitiveNames) {
    const struct { const char* className; WindowKind kind; } cases[] = {
        {"CabinetWClass", WindowKind::Explorer}, {"ExploreWClass", WindowKind::Explorer},
        {"cabinetwclass", WindowKind::None},     {"ExplorerWClass", WindowKind::None},  // Wine's explorer
        {"#32770", WindowKind::StandardDialog},  {"#327700", WindowKind::None},
        {"bosa_sdm_", WindowKind::OfficeDialog}, {"bosa_sdm_Microsoft Office Word", WindowKind::OfficeDialog},
        {"bosa_sdm", WindowKind::None},          {"BOSA_SDM_Word", WindowKind::None},
        {"#32769", WindowKind::Desktop},         {"", WindowKind::None},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyWindowClass(c.className), c.kind) << '"' << c.className << '"';
}

// Which windows of the chain from the clicked window up are asked for a
// shell browser, which one is the target, and which dialog's file-name box is
// the last resort.
TEST(WindowClass, NavigationPlanOfAChain) {
    using W = ChainWindow;
    const W view{"SHELLDLL_DefView", false, true};
    const struct {
        const char* what;
        std::vector<W> chain;
        WindowKind kind;
        std::size_t target, dialog;
        std::vector<std::size_t> browsers;
    } cases[] = {
        {"Explorer frame", {view, {"DUIViewWndClassName", false, true}, {"CabinetWClass", false, false}},
         WindowKind::Explorer, 2, kNoWindow, {2}},
        {"item dialog with a browser control, owned by an Explorer frame",
         {view, {"ExplorerBrowserControl", true, true}, {"#32770", false, false}, {"CabinetWClass", true, false}},
         WindowKind::StandardDialog, 2, 2, {1}},
        {"classic dialog, clicked in an application's hook dialog inside it",
         {{"Button", false, true}, {"#32770", false, true}, {"#32770", true, false}},
         WindowKind::StandardDialog, 1, 2, {2}},
        {"file dialog owned by an application's dialog",
         {view, {"#32770", true, false}, {"#32770", true, false}}, WindowKind::StandardDialog, 1, 1, {1}},
        {"desktop: a plain window hosting the view", {view, {"Progman", true, false}, {"Owner", true, false}},
         WindowKind::None, kNoWindow, kNoWindow, {1}},
        {"trackbar in a plain window", {{"msctls_trackbar32", false, true}, {"App", false, false}}, WindowKind::None,
         kNoWindow, kNoWindow, {}},
        {"no window at all", {}, WindowKind::None, kNoWindow, kNoWindow, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const NavigationPlan plan = PlanNavigation(c.chain);
        EXPECT_EQ(plan.kind, c.kind);
        EXPECT_EQ(plan.target, c.target);
        EXPECT_EQ(plan.dialog, c.dialog);
        EXPECT_EQ(plan.browsers, c.browsers);
    }
}
