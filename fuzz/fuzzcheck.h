#pragma once

#include <cstdio>
#include <cstdlib>

// An invariant a fuzzer checks: a failure names the condition and aborts, so
// libFuzzer keeps the input that broke it.
[[noreturn]] inline void fuzzFailed(const char *what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

#define CHECK(cond)                                                                                                    \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            fuzzFailed(#cond);                                                                                    \
    } while (0)
