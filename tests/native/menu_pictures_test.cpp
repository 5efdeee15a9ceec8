// Which drawn size of the menu pictures serves a check-mark area.
#include "core/menu_pictures.h"

#include <gtest/gtest.h>

TEST(MenuPictures, TheSmallestDrawnSizeThatIsLargeEnoughElseTheLargest) {
    const int cases[][2] = {{0, 13}, {13, 13}, {14, 16}, {19, 20}, {20, 20}, {21, 26}, {27, 32}, {32, 32}, {46, 32}};
    for (const auto& c : cases) EXPECT_EQ(wayleap::kPictureSizes[wayleap::DrawnPictureFor(c[0])], c[1]) << c[0];
}
