// Which host window a folder command drives, by window class name.
#include "core/window_class.h"

#include <gtest/gtest.h>

using namespace wayleap;

TEST(WindowClass, KindsByExactCaseSensitiveNames) {
    const struct {
        const char* className;
        WindowKind kind;
    } cases[] = {
        {"CabinetWClass", WindowKind::Explorer},
        {"ExploreWClass", WindowKind::Explorer},
        {"cabinetwclass", WindowKind::None},
        {"CabinetWClass2", WindowKind::None},
        {"#32770", WindowKind::StandardDialog},
        {"#327700", WindowKind::None},
        {"bosa_sdm_", WindowKind::OfficeDialog},
        {"bosa_sdm_Microsoft Office Word 12.0", WindowKind::OfficeDialog},
        {"bosa_sdm", WindowKind::None},
        {"BOSA_SDM_Word", WindowKind::None},
        {"#32769", WindowKind::Desktop},
        {"ExplorerWClass", WindowKind::None},  // Wine's own explorer window
        {"", WindowKind::None},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyWindowClass(c.className), c.kind) << '"' << c.className << '"';
}

TEST(WindowClass, OfficeDialogPrefixNeedsAllNineCharacters) {
    EXPECT_TRUE(IsOfficeDialogClass("bosa_sdm_XL9"));
    EXPECT_FALSE(IsOfficeDialogClass("bosa_sd"));
    EXPECT_FALSE(IsOfficeDialogClass("xbosa_sdm_"));
}
