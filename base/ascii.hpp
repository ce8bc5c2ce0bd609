// Character tests and ASCII letter case, one copy for the whole tool. Only ASCII letters
// change case, so that every other byte of a name stays exact.
#pragma once

#include <string_view>

// True for the blank and the tab, the characters that separate words of a statement.
inline bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
// True for the ASCII digits 0 to 9.
inline bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// c with an ASCII lower-case letter turned upper-case; every other byte as it is.
inline char ascii_upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
// c with an ASCII upper-case letter turned lower-case; every other byte as it is.
inline char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether a and b are the same name with ASCII letter case ignored (Fortran names).
inline bool same_name_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
    return true;
}
