// The include cache: records of what include files hold, in one arena of large blocks.
#include "include_cache.hpp"

#include "codes.hpp"
#include "limits.hpp"

#include <cstring>
#include <new>
#include <utility>

namespace {

// Records go into blocks of this size (a larger record gets a block of its own), so the
// arena costs one allocation per many files and wastes at most a block's tail each.
constexpr std::size_t block_size = std::size_t{1} << 16;

// Three records a row: Fortran in fixed form, Fortran in free form, C (which has no forms).
std::size_t slot(int row, int lang, int form) {
    const auto first = static_cast<std::size_t>(readings_per_row) * static_cast<std::size_t>(row);
    if (lang != lang_fortran) return first + 2;
    return first + (form == form_free ? 1 : 0);
}

} // namespace

const char* include_cache_find(const include_cache& c, int row, int lang, int form) {
    if (row < 0 || row >= c.rows) return nullptr;
    return c.heads[slot(row, lang, form)];
}

bool include_cache_note(std::vector<char>& rec, int bunclass, const char* name) {
    const std::size_t len = std::strlen(name);
    if (len > name_size - 1) return false; // cannot come from the analysers
    try {
        rec.push_back(static_cast<char>(bunclass));
        rec.push_back(static_cast<char>(len));
        rec.insert(rec.end(), name, name + len + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool include_cache_store(include_cache& c, int row, int lang, int form,
                         const std::vector<char>& rec, int lines) {
    if (row < 0 || row >= c.rows) return false;
    const std::size_t need = rec.size() + 1 + sizeof lines;
    if (need > c.free_left) {
        const std::size_t size = need > block_size ? need : block_size;
        try {
            std::unique_ptr<char[]> block(new char[size]);
            c.blocks.push_back(std::move(block));
        } catch (const std::bad_alloc&) {
            return false;
        }
        c.free_at = c.blocks.back().get();
        c.free_left = size;
    }
    char* at = c.free_at;
    if (!rec.empty()) std::memcpy(at, rec.data(), rec.size());
    at[rec.size()] = 0;
    std::memcpy(at + rec.size() + 1, &lines, sizeof lines);
    c.free_at += need;
    c.free_left -= need;
    c.heads[slot(row, lang, form)] = at;
    return true;
}

bool include_cache_next(const char*& pos, cached_statement& s, int& lines) {
    const int bunclass = static_cast<unsigned char>(pos[0]);
    if (bunclass == 0) {
        std::memcpy(&lines, pos + 1, sizeof lines);
        return false;
    }
    const std::size_t len = static_cast<unsigned char>(pos[1]);
    s.bunclass = bunclass;
    s.name = pos + 2;
    pos += 2 + len + 1;
    return true;
}
