#pragma once
// Invariant checks for the fuzz targets. A failed check aborts, which libFuzzer
// reports as a crash and saves the input as an artifact.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                       \
    do {                                                                                       \
        if (!(cond)) {                                                                         \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
