// Sizes that follow the display's scale: which drawn size of the menu
// pictures serves a check-mark area, and the Folders page's column widths.
#include "core/menu_pictures.h"

#include "core/folder_rows.h"

#include <gtest/gtest.h>

TEST(MenuPictures, TheSmallestDrawnSizeThatIsLargeEnoughElseTheLargest) {
    const int cases[][2] = {{0, 13}, {13, 13}, {14, 16}, {19, 20}, {20, 20}, {21, 26}, {27, 32}, {32, 32}, {46, 32}};
    for (const auto& c : cases) EXPECT_EQ(wayleap::kPictureSizes[wayleap::DrawnPictureFor(c[0])], c[1]) << c[0];
}

TEST(FolderColumns, ScaledNeverNarrowerThanTheirHeadersAndPathTakesTheRest) {
    // Header texts as wide as "Name", "Path", "Expand" and "Sort" at 96 and at 144 dpi; "Expand" needs more than 48.
    EXPECT_EQ(wayleap::ColumnWidths(327, 96, {27, 23, 38, 23}), (std::array<int, 4>{80, 162, 50, 35}));
    EXPECT_EQ(wayleap::ColumnWidths(490, 144, {41, 35, 59, 33}), (std::array<int, 4>{120, 245, 72, 53}));
    EXPECT_EQ(wayleap::ColumnWidths(490, 144, {41, 35, 71, 45}), (std::array<int, 4>{120, 230, 83, 57}));
    EXPECT_EQ(wayleap::ColumnWidths(100, 96, {27, 23, 38, 23}), (std::array<int, 4>{80, 35, 50, 35}));
}
