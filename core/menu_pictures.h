// The sizes the menu pictures are drawn in, and which one serves a menu.
#pragma once

namespace wayleap {

// Square sizes in pixels, smallest first: 13 is the check-mark area at 96
// dpi; the others serve 125 % to 250 % and are scaled down to what a menu
// asks for.
inline constexpr int kPictureSizes[] = {13, 16, 20, 26, 32};

// The index into kPictureSizes of the picture to make one of `wanted` pixels
// from: the smallest drawn at least that large (scaled down, which keeps its
// edges), or the largest when none is (scaled up).
int DrawnPictureFor(int wanted);

}  // namespace wayleap
