#pragma once
// A failed invariant in a fuzzer: say which, then stop with a signal that
// libFuzzer reports as a crash and keeps the input for.

#include <cstdio>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (false)
