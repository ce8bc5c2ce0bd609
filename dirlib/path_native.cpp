#include "path_native.hpp"
#include "dirlib.hpp"

#include <cstring>
#include <new>
#include <sys/stat.h>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

void map_separators(char* text) {
#ifdef _WIN32
    (void)text;
#else
    // The tool joins paths with backslashes as on Windows; here they must reach the system
    // as separators, while messages keep the text as the caller formed it.
    for (char* p = text; *p != '\0'; ++p)
        if (*p == '\\') *p = '/';
#endif
}

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

std::FILE* fopen_native(const char* path, const char* mode) {
    name_text native;
    if (!make_native(native, path)) return nullptr;
    return std::fopen(native.str, mode);
}

int path_itype(const char* native) {
    struct stat st;
    if (stat(native, &st) != 0) return -1;
    if (S_ISDIR(st.st_mode)) return 1;
    if (S_ISREG(st.st_mode)) return 0;
    return 999;
}

std::FILE* open_regular(const char* native, int& itype) {
#ifdef _WIN32
    itype = path_itype(native);
    return itype == 0 ? std::fopen(native, "r") : nullptr;
#else
    // Opened without waiting, as a FIFO would make it wait for a writer; then its type is
    // asked of the open file, without a second walk along the path.
    const int fd = open(native, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        itype = path_itype(native); // tells a missing path from an unreadable file
        return nullptr;
    }
    struct stat st;
    const bool known = fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        itype = !known ? -1 : S_ISDIR(st.st_mode) ? 1 : 999;
        close(fd);
        return nullptr;
    }
    itype = 0;
    std::FILE* fp = fdopen(fd, "r");
    if (fp == nullptr) close(fd);
    return fp;
#endif
}
