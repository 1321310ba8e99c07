#pragma once

// What every fuzz target defines: libFuzzer's entry, and whether the parser
// it feeds took the last input it was given, so that the tests' seed runs
// (seed_driver.cpp) can tell a seed that no longer parses.
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
bool FuzzInputAccepted();
