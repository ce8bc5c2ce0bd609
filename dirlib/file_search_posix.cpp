// The file search on POSIX systems: lists a directory and keeps the names that match the
// pattern by the Windows rules the tool is written for ('*', '?', letters ignoring case).
// Dot-names are not hidden, and "." and ".." are listed when they match, as there.
#include "file_search.hpp"
#include "path_native.hpp"

#include <cerrno>
#include <dirent.h>
#include <new>
#include <string>

struct file_search {
    DIR* dir = nullptr;
    std::string pattern;
};

namespace {

// Reads on to the next matching name; the search stays running whatever the result.
search_status next_match(file_search* s, const char*& name) {
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(s->dir);
        if (entry == nullptr) return errno == 0 ? search_status::no_more : search_status::failed;
        if (search_match(s->pattern.c_str(), entry->d_name)) {
            name = entry->d_name;
            return search_status::found;
        }
    }
}

} // namespace

bool search_match(const char* pattern, const char* name) {
    // Greedy matching with one backtrack point: the last '*' seen takes one more character
    // whenever the rest fails, which is enough because a later '*' supersedes an earlier one.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern != '\0' &&
                   (*pattern == '?' || search_fold(*pattern) == search_fold(*name))) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

search_status search_first(file_search*& s, const char* dir, const char* pattern,
                           const char*& name) {
    s = nullptr;
    name_text native;
    if (!make_native(native, *dir == '\0' ? "." : dir)) return search_status::failed;

    // No std::string may throw out of the library: the pattern is copied inside a try.
    file_search* found = new (std::nothrow) file_search;
    if (found == nullptr) return search_status::failed;
    try {
        found->pattern = pattern;
    } catch (...) {
        delete found;
        return search_status::failed;
    }
    found->dir = opendir(native.str);
    if (found->dir == nullptr) {
        delete found;
        return search_status::failed;
    }
    search_status st = next_match(found, name);
    if (st != search_status::found) {
        closedir(found->dir);
        delete found;
        return st;
    }
    s = found;
    return st;
}

search_status search_next(file_search* s, const char*& name) {
    return next_match(s, name);
}

bool search_close(file_search* s) {
    bool ok = closedir(s->dir) == 0;
    delete s;
    return ok;
}
