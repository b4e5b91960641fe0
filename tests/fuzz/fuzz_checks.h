// What the fuzz targets share: a rule that stops the run when it breaks, so
// libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* rule) {
    if (!holds) {
        std::fprintf(stderr, "Broken rule: %s\n", rule);
        std::abort();
    }
}
