// What the fuzz targets share: a check that stops the run with a message, so that both
// libFuzzer and the replay program report the input.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, ...)                                                             \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, __VA_ARGS__);                                                 \
            std::fputc('\n', stderr);                                                          \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
