// The one string hash of the tool (32-bit FNV-1a), for the lookup tables beside the project
// tables and the writer's set of names.
#pragma once

#include <cstdint>

constexpr std::uint32_t hash_start = 2166136261u;

// The hash h carried on by one more byte.
inline std::uint32_t hash_mix(std::uint32_t h, unsigned char c) {
    return (h ^ c) * 16777619u;
}

// The hash of a NUL-terminated string.
inline std::uint32_t hash_text(const char* s) {
    std::uint32_t h = hash_start;
    for (; *s != '\0'; ++s)
        h = hash_mix(h, static_cast<unsigned char>(*s));
    return h;
}
