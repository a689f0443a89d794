#pragma once

#include <cstdio>
#include <cstdlib>

namespace marquetrix::fuzz {

// A broken promise of the parser ends the run, so that libFuzzer keeps the input.
inline void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace marquetrix::fuzz
