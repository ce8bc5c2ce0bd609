// Wildcard patterns expanded for the tool's scan, with what opndir and rddir would give for
// each but without a status query per name, and files opened by the paths the tool forms.
#include "dir_listing.hpp"
#include "dirlib.hpp"
#include "dirscan.hpp"
#include "file_search.hpp"
#include "path_native.hpp"
#include "platform.hpp"
#include "reports.hpp"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

namespace {

// A pattern split as opndir splits it, in pieces of the caller's text, so that a report can
// name it without allocating.
struct pattern_parts {
    const char* dir; // the directory part, its final separator kept
    int dirlen;
    const char* file; // the file pattern; "*" when the path has none
    int filelen;
};

pattern_parts split(const char* path) {
    std::size_t n = std::strlen(path);
    while (n > 0 && path[n - 1] == ' ')
        --n;
    const std::size_t cut = directory_part_length(path, n);
    if (cut == n) return {path, static_cast<int>(cut), "*", 1};
    return {path, static_cast<int>(cut), path + cut, static_cast<int>(n - cut)};
}

// Writes opndir's report for the pattern with handle 0 ("Failed to call FindFirstFile", ...),
// the full pattern in the parentheses. Returns false.
bool report(const pattern_parts& p, const char* what) {
    std::fprintf(report_stream(), "\nError at opndir : %s. Handle is 0 : (%.*s%.*s).\n", what,
                 p.dirlen, p.dir, p.filelen, p.file);
    return false;
}

// What one run of the file search gave: the names in the order it delivered them.
struct search_result {
    std::vector<std::string> names;
    bool read_failed = false;  // the search stopped before its end
    bool close_failed = false; // the platform refused to end it
};

// Runs the file search for pattern in dir to its end. Throws only when memory is short, and
// then with the search ended.
void run_search(const char* dir, const char* pattern, search_result& r) {
    file_search* s = nullptr;
    const char* name = nullptr;
    search_status st = search_first(s, dir, pattern, name);
    if (st != search_status::found) {
        r.read_failed = st == search_status::failed;
        return;
    }
    try {
        for (; st == search_status::found; st = search_next(s, name))
            r.names.emplace_back(name);
    } catch (...) {
        search_close(s);
        throw;
    }
    r.read_failed = st == search_status::failed;
    r.close_failed = !search_close(s);
}

// The reports opndir writes after its search: none matched (the search's first call failed
// there), the search failed part way, or it could not be ended. True when there were none.
bool search_ended_well(const pattern_parts& p, bool matched, const search_result& r) {
    if (!matched) return report(p, "Failed to call FindFirstFile");
    bool ok = true;
    if (r.read_failed) ok = report(p, "Failed to call FindNextFile");
    if (r.close_failed) ok = report(p, "Failed to call FindCloseFile");
    return ok;
}

void sort_listed(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return listed_before(a.c_str(), b.c_str());
    });
}

// Where a listing matched here gives what the system's search gives: the directory listed
// once among the kept ones, the pattern matched against its names.
bool names_from_listing(dir_listings& kept, const pattern_parts& p,
                        std::vector<const char*>& names) {
    const std::string dir(p.dir, static_cast<std::size_t>(p.dirlen));
    const std::string file(p.file, static_cast<std::size_t>(p.filelen));
    auto d = std::find_if(kept.dirs.begin(), kept.dirs.end(),
                          [&](const listed_directory& l) { return l.dir == dir; });
    if (d == kept.dirs.end()) {
        search_result r;
        run_search(dir.c_str(), "*", r);
        if (r.read_failed || r.close_failed) {
            // Not kept: opndir would search this directory again for the next pattern.
            const bool matched = std::any_of(r.names.begin(), r.names.end(), [&](auto& n) {
                return search_match(file.c_str(), n.c_str());
            });
            return search_ended_well(p, matched, r);
        }
        sort_listed(r.names);
        if (kept.dirs.size() >= dir_listings::kept) kept.dirs.erase(kept.dirs.begin());
        d = kept.dirs.insert(kept.dirs.end(), listed_directory{dir, std::move(r.names)});
    }
    for (const std::string& name : d->names)
        if (search_match(file.c_str(), name.c_str())) names.push_back(name.c_str());
    return !names.empty() || report(p, "Failed to call FindFirstFile");
}

// Where the system's search decides (it matches each name's short form too): the search
// runs for the pattern itself.
bool names_from_search(dir_listings& kept, const pattern_parts& p,
                       std::vector<const char*>& names) {
    const std::string dir(p.dir, static_cast<std::size_t>(p.dirlen));
    const std::string file(p.file, static_cast<std::size_t>(p.filelen));
    search_result r;
    run_search(dir.c_str(), file.c_str(), r);
    if (!search_ended_well(p, !r.names.empty(), r)) return false;
    sort_listed(r.names);
    kept.found = std::move(r.names);
    for (const std::string& name : kept.found)
        names.push_back(name.c_str());
    return true;
}

} // namespace

bool expand_pattern(dir_listings& kept, const char* path, std::vector<const char*>& names) {
    names.clear();
    const pattern_parts p = split(path);
    try {
        if (listing_matches_search() ? names_from_listing(kept, p, names)
                                     : names_from_search(kept, p, names))
            return true;
    } catch (const std::exception&) { // the containers' only failure here: memory is short
        report(p, "Failed to allocate memory");
    }
    names.clear();
    return false;
}

std::FILE* fopen_regular(const char* path, int& itype) {
    name_text native;
    if (!make_native(native, path)) {
        itype = itype_none;
        return nullptr;
    }
    std::size_t n = std::strlen(native.str);
    if (n == 0 || native.str[n - 1] != ' ') return open_regular(native.str, itype);
    // The type is asked as isadir asks it of a name field, without the trailing blanks, but
    // the open takes the path as it is, blanks and all.
    while (n > 0 && native.str[n - 1] == ' ')
        --n;
    const char kept_char = native.str[n];
    native.str[n] = '\0';
    itype = path_itype(native.str);
    native.str[n] = kept_char;
    return itype == itype_file ? std::fopen(native.str, "r") : nullptr;
}
