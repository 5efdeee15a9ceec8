// Which drawn size of the menu pictures serves a menu.
#include "core/menu_pictures.h"

#include <iterator>

namespace wayleap {

int DrawnPictureFor(int wanted) {
    const int count = static_cast<int>(std::size(kPictureSizes));
    for (int i = 0; i < count; ++i) {
        if (kPictureSizes[i] >= wanted) return i;
    }
    return count - 1;
}

}  // namespace wayleap
