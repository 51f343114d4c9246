#pragma once

#include <cstdio>
#include <cstdlib>

// A property that must hold for every input: a violation stops the fuzzer like a crash does, and
// the input is kept.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "property violated: %s (%s:%d)\n", #condition, __FILE__, __LINE__);         \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
