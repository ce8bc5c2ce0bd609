// What a source file's name says of how to read it: its language and its source form.
#include "ascii.hpp"
#include "codes.hpp"
#include "lang.hpp"

#include <cstring>
#include <string_view>

int source_language(const char* name) {
    const char* dot = std::strchr(name, '.');
    if (!dot) return lang_none;
    switch (dot[1]) {
    case 'f':
    case 'F':
        return lang_fortran;
    case 'c':
    case 'C':
        return lang_c;
    default:
        return lang_none;
    }
}

int source_form(const char* name) {
    const char* dot = std::strrchr(name, '.');
    if (!dot) return form_fixed;
    const std::string_view ext(dot + 1);
    for (const char* free_ext : {"f90", "f95", "f03", "f08"})
        if (same_name_ignoring_case(ext, free_ext)) return form_free;
    return form_fixed;
}
