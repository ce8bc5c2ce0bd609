// A directory's names read once for many wildcard patterns: what opndir and rddir would give
// for each pattern, without a listing and a status query per name for every pattern.
#include "dirlib.hpp"
#include "dirscan.hpp"
#include "file_search.hpp"
#include "path_native.hpp"

#include <algorithm>
#include <cstring>
#include <new>

void split_pattern(const char* path, std::string& dir, std::string& pattern) {
    std::size_t n = std::strlen(path);
    while (n > 0 && path[n - 1] == ' ')
        --n;
    std::size_t cut = n;
    while (cut > 0 && path[cut - 1] != '/' && path[cut - 1] != '\\' && path[cut - 1] != ':')
        --cut;
    try {
        dir.assign(path, cut);
        pattern.assign(cut < n ? std::string(path + cut, n - cut) : std::string("*"));
    } catch (const std::bad_alloc&) {
        dir.clear();
        pattern.clear();
    }
}

bool list_directory(const char* dir, std::vector<std::string>& names) {
    names.clear();
#ifdef _WIN32
    // The system's search also matches each name's short form, which no listing of the long
    // names can reproduce: here every pattern goes to opndir.
    (void)dir;
    return false;
#else
    file_search* s = nullptr;
    const char* name = nullptr;
    search_status st = search_first(s, dir, "*", name);
    if (st != search_status::found) return false;
    bool ok = true;
    try {
        for (; st == search_status::found; st = search_next(s, name))
            names.emplace_back(name);
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return listed_before(a.c_str(), b.c_str());
        });
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (st == search_status::failed) ok = false;
    if (!search_close(s)) ok = false;
    if (!ok) names.clear();
    return ok;
#endif
}

bool pattern_matches(const char* pattern, const char* name) {
#ifdef _WIN32
    (void)pattern;
    (void)name;
    return false;
#else
    return search_match(pattern, name);
#endif
}

std::FILE* fopen_regular(const char* path, int& itype) {
    name_text native;
    if (!make_native(native, path)) {
        itype = -1;
        return nullptr;
    }
    return open_regular(native.str, itype);
}
