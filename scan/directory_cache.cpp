// The run's directory listings: a directory that several wildcard arguments in a row name
// (s\*.f s\*.f90 s\*.c) is read once, and each pattern is matched against its names.
#include "scan_run.hpp"

#include "dirlib.hpp"

#include <new>

namespace {

// The listing of dir, read now when it is not among the kept ones (the oldest then goes).
// Null when memory is short.
const listed_directory* listing_of(directory_cache& cache, const std::string& dir) {
    for (const listed_directory& d : cache.dirs)
        if (d.dir == dir) return &d;
    try {
        if (cache.dirs.size() == directory_cache::kept) cache.dirs.erase(cache.dirs.begin());
        listed_directory& d = cache.dirs.emplace_back();
        d.dir = dir;
        d.listed = list_directory(dir.c_str(), d.names);
        return &d;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

bool cached_matches(directory_cache& cache, const char* path1, std::vector<const char*>& names) {
    names.clear();
    std::string dir;
    std::string pattern;
    split_pattern(path1, dir, pattern);
    if (pattern.empty()) return false;
    const listed_directory* d = listing_of(cache, dir);
    if (d == nullptr || !d->listed) return false;
    try {
        for (const std::string& name : d->names)
            if (pattern_matches(pattern.c_str(), name.c_str())) names.push_back(name.c_str());
    } catch (const std::bad_alloc&) {
        names.clear();
    }
    return !names.empty();
}
