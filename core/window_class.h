// Recognising host windows by their class names.
#pragma once

#include <string_view>

namespace wayleap {

// Office-style file dialogs have window classes beginning with "bosa_sdm_".
inline bool IsOfficeDialogClass(std::string_view className) {
    return className.substr(0, 9) == "bosa_sdm_";
}

}  // namespace wayleap
