// Invariant checks shared by the fuzz targets. A violation aborts, so that the fuzzer keeps
// the input and the replay test fails on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

inline void fuzz_require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz invariant violated: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

// Physical lines as the readers see them: a line ends at LF (a CR right before it is part of
// the line end); a last line without LF counts too. A lone CR ends nothing. A byte-order mark
// at the start is no text, so a file of nothing else has no line.
inline int physical_lines(const std::uint8_t* data, std::size_t size) {
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        data += 3;
        size -= 3;
    }
    int lines = 0;
    for (std::size_t i = 0; i < size; ++i)
        if (data[i] == '\n') ++lines;
    if (size > 0 && data[size - 1] != '\n') ++lines;
    return lines;
}
