// The file search on Windows: the system's own wildcard search, which the tool is written for.
#include "file_search.hpp"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstring>
#include <new>

struct file_search {
    HANDLE handle = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA data;
};

search_status search_first(file_search*& s, const char* dir, const char* pattern,
                           const char*& name) {
    s = nullptr;
    std::size_t dn = std::strlen(dir);
    std::size_t pn = std::strlen(pattern);
    char* full = new (std::nothrow) char[dn + pn + 1];
    if (full == nullptr) return search_status::failed;
    std::memcpy(full, dir, dn);
    std::memcpy(full + dn, pattern, pn + 1);

    file_search* found = new (std::nothrow) file_search;
    if (found == nullptr) {
        delete[] full;
        return search_status::failed;
    }
    found->handle = FindFirstFileA(full, &found->data);
    delete[] full;
    if (found->handle == INVALID_HANDLE_VALUE) {
        DWORD err = GetLastError();
        delete found;
        // Nothing matching is the end of an empty search, not a failure of the directory.
        return err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES ? search_status::no_more
                                                                         : search_status::failed;
    }
    name = found->data.cFileName;
    s = found;
    return search_status::found;
}

search_status search_next(file_search* s, const char*& name) {
    if (FindNextFileA(s->handle, &s->data)) {
        name = s->data.cFileName;
        return search_status::found;
    }
    return GetLastError() == ERROR_NO_MORE_FILES ? search_status::no_more : search_status::failed;
}

bool search_close(file_search* s) {
    bool ok = FindClose(s->handle) != 0;
    delete s;
    return ok;
}

bool search_match(const char* /*pattern*/, const char* /*name*/) {
    return false;
}
