// A failed invariant: say which, then abort so libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                                               \
    ((cond) ? void() : (std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond), std::abort()))
