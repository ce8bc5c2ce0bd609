// The directory scan: opndir collects the matching names of a pattern into the one scan
// slot, rddir hands them out in sorted order, clsdir releases them.
#include "dirscan.hpp"
#include "dirlib.hpp"
#include "file_search.hpp"
#include "path_native.hpp"
#include "platform.hpp"
#include "reports.hpp"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// One name of the list with the type its status query gave.
struct scan_entry {
    const char* name;
    int len;
    int itype;
};

// The entry count of the scan slot while no list is open.
constexpr int closed = -9999;

// The one scan slot; the only valid handle is 0.
struct scan_slot {
    int count = closed; // closed, or the number of entries in the list
    int pos = -1;       // next entry rddir returns; -1 while closed
    std::unique_ptr<unsigned char[]> list;
};

scan_slot slot;

unsigned char fold(char c) {
    return static_cast<unsigned char>(search_fold(c));
}

bool name_before(const scan_entry& a, const scan_entry& b) {
    return listed_before(a.name, b.name);
}

// What the first pass learns about the names that match.
struct name_census {
    std::size_t count = 0;
    std::size_t longest = 0;
    std::size_t chars = 0; // all names with their terminators
};

// First pass: counts the matching names. 0 on success, else the report has been written.
int count_names(int handle, const pattern_texts& t, name_census& c) {
    const char* dir = t.dir.get();
    file_search* s = nullptr;
    const char* name = nullptr;
    if (search_first(s, dir, t.pattern.get(), name) != search_status::found) {
        std::fprintf(report_stream(),
                     "\nError at opndir : Failed to call FindFirstFile. Handle is %d : (%s).\n",
                     handle, t.full.get());
        return -1;
    }
    search_status st = search_status::found;
    while (st == search_status::found) {
        std::size_t n = std::strlen(name);
        ++c.count;
        c.longest = std::max(c.longest, n);
        c.chars += n + 1;
        st = search_next(s, name);
    }
    int result = 0;
    if (st == search_status::failed) {
        std::fprintf(report_stream(),
                     "\nError at opndir : Failed to call FindNextFile. Handle is %d : (%s).\n",
                     handle, t.full.get());
        result = -1;
    }
    if (!search_close(s)) {
        std::fprintf(report_stream(),
                     "\nError at opndir : Failed to call FindCloseFile. Handle is %d : (%s).\n",
                     handle, t.full.get());
        result = -1;
    }
    return result;
}

// Second pass: stores the names with their types into the list laid out for census c:
// the entries, the names, then room for the longest full path. Never stores more entries
// or name characters than the first pass counted (names added since are left out).
// Returns the number stored, or -1 after a report.
int store_names(int handle, int dirlen, const pattern_texts& t, const name_census& c,
                unsigned char* list) {
    const char* dir = t.dir.get();
    auto* entries = reinterpret_cast<scan_entry*>(list);
    char* names = reinterpret_cast<char*>(list + c.count * sizeof(scan_entry));
    char* path = names + c.chars;
    std::size_t used = 0;
    std::size_t stored = 0;

    file_search* s = nullptr;
    const char* name = nullptr;
    search_status st = search_first(s, dir, t.pattern.get(), name);
    if (st != search_status::found) {
        std::fprintf(report_stream(),
                     "\nError at opndir : Failed to call FindFirstFile. Handle is %d : (%s).\n",
                     handle, t.full.get());
        return -1;
    }
    while (st == search_status::found && stored < c.count) {
        std::size_t n = std::strlen(name);
        if (n <= c.longest && used + n + 1 <= c.chars) {
            std::memcpy(names + used, name, n + 1);
            std::memcpy(path, dir, static_cast<std::size_t>(dirlen));
            std::memcpy(path + dirlen, name, n + 1);
            map_separators(path);
            int itype = path_itype(path);
            entries[stored] = {names + used, static_cast<int>(n), itype < 0 ? itype_other : itype};
            used += n + 1;
            ++stored;
        }
        st = search_next(s, name);
    }
    int result = static_cast<int>(stored);
    if (st == search_status::failed) {
        std::fprintf(report_stream(),
                     "\nError at opndir : Failed to call FindNextFile. Handle is %d : (%s).\n",
                     handle, dir);
        result = -1;
    }
    if (!search_close(s)) {
        std::fprintf(report_stream(),
                     "\nError at opndir : Failed to call FindCloseFile. Handle is %d : (%s).\n",
                     handle, dir);
        result = -1;
    }
    return result;
}

// True, after its report, when routine was given a handle other than the one slot's.
bool invalid_handle(const char* routine, int handle) {
    if (handle == 0) return false;
    std::fprintf(report_stream(), "\nError at %s : Directry handle is invalid. Handle is %d.\n",
                 routine, handle);
    return true;
}

} // namespace

// Names equal but for letter case are ordered by their bytes, so that A.f and a.f (both
// possible on POSIX) always come out the same way.
bool listed_before(const char* a, const char* b) {
    for (const char *p = a, *q = b;; ++p, ++q) {
        unsigned char x = fold(*p), y = fold(*q);
        if (x != y) return x < y;
        if (x == '\0') break;
    }
    return std::strcmp(a, b) < 0;
}

std::size_t directory_part_length(const char* text, std::size_t n) {
    while (n > 0 && text[n - 1] != '/' && text[n - 1] != '\\' && text[n - 1] != ':')
        --n;
    return n;
}

int strip_quotes(char* destination, const char* source) {
    int count = 0;
    char open = '\0'; // the quote character of the quotation we are in, if any
    for (const char* s = source; *s != '\0'; ++s) {
        if (open == '\0' && (*s == '"' || *s == '\'')) {
            open = *s;
        } else if (open != '\0' && *s == open) {
            if (s[1] == open) {
                destination[count++] = open;
                ++s;
            } else {
                open = '\0';
            }
        } else {
            destination[count++] = *s;
        }
    }
    destination[count] = '\0';
    return count;
}

int Set_PATH(const int& pathlen, const char* path, int& dirlen, char* dirbuf, const int& quote,
             pattern_texts& texts) {
    dirlen = 0;
    if (pathlen > 0) std::memset(dirbuf, ' ', static_cast<std::size_t>(pathlen));

    // A blank field (or one of length 0) is the pattern "*" in the current directory.
    auto n = static_cast<std::size_t>(field_length(pathlen, path));
    std::size_t room = std::max<std::size_t>(n, 1);
    texts.pattern.reset(new (std::nothrow) char[room + 1]);
    texts.full.reset(new (std::nothrow) char[room + 2]);
    texts.dir.reset(new (std::nothrow) char[room + 1]);
    if (!texts.pattern || !texts.full || !texts.dir) {
        texts = pattern_texts{};
        std::fprintf(report_stream(), "\nError at Set_PATH : Failed to allocate memory.\n");
        return 0;
    }
    std::memcpy(texts.pattern.get(), path, n);
    texts.pattern[n] = '\0';

    char* full = texts.full.get();
    if (quote != 0) {
        strip_quotes(full, texts.pattern.get());
    } else {
        std::memcpy(full, texts.pattern.get(), n + 1);
    }
    n = std::strlen(full);
    while (n > 0 && full[n - 1] == ' ')
        --n;
    full[n] = '\0';

    n = directory_part_length(full, n);
    std::strcpy(texts.pattern.get(), full[n] != '\0' ? full + n : "*");
    std::memcpy(texts.dir.get(), full, n);
    texts.dir[n] = '\0';
    std::strcpy(full + n, texts.pattern.get());

    dirlen = static_cast<int>(n);
    std::memcpy(dirbuf, texts.dir.get(), n);
    return 1;
}

void opndir(int& ierror, const int& handle, const int& pathlen, const char* path, int& dirlen,
            char* dirbuf, const int& quote) {
    ierror = 0;
    dirlen = 0;
    if (invalid_handle("opndir", handle)) {
        ierror = -1;
        return;
    }
    if (slot.count != closed) {
        std::fprintf(report_stream(),
                     "\nError at opndir : Directry handle is already opened. Handle is %d\n",
                     handle);
        ierror = -1;
        return;
    }
    pattern_texts texts;
    if (Set_PATH(pathlen, path, dirlen, dirbuf, quote, texts) == 0) {
        ierror = -1;
        return;
    }
    name_census census;
    if (count_names(handle, texts, census) != 0) {
        ierror = -1;
        return;
    }
    std::size_t size = census.count * sizeof(scan_entry) + census.chars +
                       static_cast<std::size_t>(dirlen) + census.longest + 1;
    std::unique_ptr<unsigned char[]> list(new (std::nothrow) unsigned char[size]);
    if (!list) {
        std::fprintf(report_stream(),
                     "\nError at opndir : Failed to allocate memory. Handle is %d : (%s).\n",
                     handle, texts.full.get());
        ierror = -1;
        return;
    }
    int stored = store_names(handle, dirlen, texts, census, list.get());
    if (stored < 0) {
        ierror = -1;
        return;
    }
    auto* entries = reinterpret_cast<scan_entry*>(list.get());
    std::sort(entries, entries + stored, name_before);

    slot.count = stored;
    slot.pos = 0;
    slot.list = std::move(list);
}

void rddir(int& ierror, const int& handle, const int& buflen, int& itype, int& namelen,
           char* namebuf) {
    ierror = 0;
    namelen = 0;
    itype = itype_file;
    if (buflen > 0) std::memset(namebuf, ' ', static_cast<std::size_t>(buflen));
    if (invalid_handle("rddir", handle)) {
        ierror = -1;
        itype = itype_other;
        return;
    }
    if (slot.count == closed) {
        std::fprintf(report_stream(),
                     "\nError at rddir : Directry handle is not opened. Handle is %d\n", handle);
        ierror = -1;
        itype = itype_other;
        return;
    }
    if (slot.pos >= slot.count) {
        // The first call past the last entry is the normal end; only later ones are faults.
        if (slot.pos > slot.count)
            std::fprintf(
                report_stream(),
                "\nError at rddir : No more files. Directry handle must be closed. Handle is %d\n",
                handle);
        if (slot.pos < 0x7fffffff) ++slot.pos;
        ierror = -1;
        itype = itype_none;
        return;
    }
    const scan_entry& e = reinterpret_cast<const scan_entry*>(slot.list.get())[slot.pos];
    itype = e.itype;
    namelen = e.len;
    std::memcpy(namebuf, e.name, static_cast<std::size_t>(std::min(e.len, std::max(buflen, 0))));
    ++slot.pos;
}

void clsdir(int& ierror, const int& handle) {
    ierror = 0;
    if (invalid_handle("clsdir", handle)) {
        ierror = -1;
        return;
    }
    if (slot.count == closed) {
        std::fprintf(report_stream(),
                     "\nError at clsdir : Directry handle is not opened. Handle is %d\n", handle);
        ierror = -1;
        return;
    }
    slot = scan_slot{};
}
