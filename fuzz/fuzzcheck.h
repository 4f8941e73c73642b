#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz target shares: the entry point libFuzzer (or the replay driver) calls, and a check
// that stops the run, naming the property that failed, so that the input is kept as a finding.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);                      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
