#include "path_native.hpp"
#include "dirlib.hpp"
#include "platform.hpp"
#include "reports.hpp"

#include <cstdio>
#include <cstring>
#include <new>
#include <sys/stat.h>

bool make_name_text(name_text& t, const char* name, std::size_t n) {
    char* dest = t.fixed;
    if (n >= sizeof t.fixed) {
        t.heap.reset(new (std::nothrow) char[n + 1]);
        if (!t.heap) return false;
        dest = t.heap.get();
    }
    std::memcpy(dest, name, n);
    dest[n] = '\0';
    t.str = dest;
    return true;
}

bool make_native(name_text& t, const char* path) {
    if (!make_name_text(t, path, std::strlen(path))) return false;
    map_separators(t.str);
    return true;
}

int field_length(int len, const char* field) {
    int n = len > 0 ? len : 0;
    while (n > 0 && field[n - 1] == ' ')
        --n;
    return n;
}

int name_from_field(int len, const char* field, name_text& given, name_text& native) {
    int n = field_length(len, field);
    if (n == 0) return 0;
    if (!make_name_text(given, field, static_cast<std::size_t>(n))) return -1;
    if (!make_native(native, given.str)) return -1;
    return 1;
}

// Reads the name field of routine into its given and system texts. False when there is
// none, with blank_message or the routine's memory message written and ierror -1.
bool take_name(int& ierror, int len, const char* field, const char* routine,
               const char* blank_message, name_text& given, name_text& native) {
    int got = name_from_field(len, field, given, native);
    if (got > 0) return true;
    if (got == 0)
        std::fputs(blank_message, report_stream());
    else
        std::fprintf(report_stream(), "\nError at %s : Failed to allocate memory.\n", routine);
    ierror = -1;
    return false;
}

bool take_query_name(int& ierror, int& itype, int len, const char* field, const char* routine,
                     name_text& given, name_text& native) {
    char blank[64];
    std::snprintf(blank, sizeof blank, "\nError at %s : A filename is not specified.\n", routine);
    if (take_name(ierror, len, field, routine, blank, given, native)) return true;
    itype = itype_none;
    return false;
}

int mode_itype(unsigned mode) {
    if (S_ISDIR(mode)) return itype_directory;
    if (S_ISREG(mode)) return itype_file;
    return itype_other;
}

int path_itype(const char* native) {
    struct stat st;
    if (stat(native, &st) != 0) return itype_none;
    return mode_itype(static_cast<unsigned>(st.st_mode));
}
