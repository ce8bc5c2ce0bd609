// A directory's names read once for many wildcard patterns: what opndir and rddir would give
// for each pattern, without a listing and a status query per name for every pattern.
#include "dirlib.hpp"
#include "dirscan.hpp"
#include "file_search.hpp"
#include "path_native.hpp"
#include "platform.hpp"

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
    if (!listing_matches_search()) return false; // every pattern then goes to opndir
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
}

bool pattern_matches(const char* pattern, const char* name) {
    return listing_matches_search() && search_match(pattern, name);
}

std::FILE* fopen_regular(const char* path, int& itype) {
    name_text native;
    if (!make_native(native, path)) {
        itype = -1;
        return nullptr;
    }
    return open_regular(native.str, itype);
}
