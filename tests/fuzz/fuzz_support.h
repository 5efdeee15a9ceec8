// Shared by the fuzz targets: a check that names the broken rule before it aborts.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace wayleap {

inline void Check(bool ok, const char* why) {
    if (ok) return;
    std::fprintf(stderr, "broken: %s\n", why);
    std::abort();
}

}  // namespace wayleap
