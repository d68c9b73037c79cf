#pragma once

#include <cstdlib>

// A property every input must keep: when it fails, the fuzzer stops on the
// input (and a replay fails).
inline void check(bool ok) {
    if (!ok)
        std::abort();
}
