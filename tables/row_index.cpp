// The find-or-add index: its storage and its chains.
#include "row_index.hpp"

namespace {

// Buckets: a power of two at least the rows, so that chains stay short at a full table;
// beyond this many, chains grow instead, and untouched bucket pages cost no memory at all.
constexpr std::uint32_t max_buckets = 1u << 22;

std::uint32_t bucket_mask(int rows) {
    std::uint32_t n = 16;
    while (n < static_cast<std::uint32_t>(rows) && n < max_buckets)
        n <<= 1;
    return n - 1;
}

} // namespace

bool take_row_index(row_index& x, row_index_storage& s, int rows, const char* name) {
    const std::uint32_t mask = bucket_mask(rows);
    const auto n = static_cast<std::size_t>(rows > 0 ? rows : 1);
    if (!take_table(s.head, mask + std::size_t{1}, 1, name, true) ||
        !take_table(s.next, n, 1, name) || !take_table(s.hash, n, 1, name))
        return false;
    x.mask = mask;
    x.head = s.head.get();
    x.next = s.next.get();
    x.hash = s.hash.get();
    return true;
}

index_walk index_start(row_index& x, std::uint32_t h) {
    return {&x.head[h & x.mask], h};
}

int index_next(const row_index& x, index_walk& w) {
    while (*w.link != 0) {
        const int row = *w.link - 1;
        w.link = &x.next[row];
        if (x.hash[row] == w.hash) return row;
    }
    return -1;
}

void index_add(row_index& x, index_walk& w, int row) {
    x.hash[row] = w.hash;
    x.next[row] = 0;
    *w.link = row + 1;
    w.link = &x.next[row];
}

void index_forget(row_index& x, std::uint32_t h) {
    x.head[h & x.mask] = 0;
}

void index_narrow(row_index& x, std::uint32_t taken_mask, int rows) {
    const std::uint32_t wanted = bucket_mask(rows);
    x.mask = wanted < taken_mask ? wanted : taken_mask;
}
