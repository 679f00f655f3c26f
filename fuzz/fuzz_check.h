#pragma once
// A property check for the fuzz targets: a failure prints the condition and aborts, which
// libFuzzer reports as a crash and saves the input that caused it.

#include <cstdio>
#include <cstdlib>

#define ZT_FUZZ_CHECK(condition)                                                                   \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
