// Which host window a folder command drives, by window class name.
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
