// The lookup structures beside the module and include tables: their storage, their hashes
// and the catch-up that enters rows in table order.
#include "table_index.hpp"
#include "ascii.hpp"
#include "hash.hpp"

#include <cstring>

namespace {

// Buckets: a power of two at least the capacity, so that chains stay short at a full table;
// beyond this many, chains grow instead, and untouched bucket pages cost no memory at all.
constexpr std::uint32_t max_buckets = 1u << 22;

std::uint32_t bucket_mask(int capacity) {
    std::uint32_t n = 16;
    while (n < static_cast<std::uint32_t>(capacity) && n < max_buckets)
        n <<= 1;
    return n - 1;
}

template <class T> bool take(malloc_array<T>& a, std::size_t n, bool zeroed) {
    void* block = zeroed ? std::calloc(n, sizeof(T)) : std::malloc(n * sizeof(T));
    a.reset(static_cast<T*>(block));
    return block != nullptr;
}

int row_of(const inctab_row* row, const project& p) {
    return static_cast<int>(row - p.inctab);
}
int row_of(const modtab_row* row, const project& p) {
    return static_cast<int>(row - p.modtab);
}

// Appends row i to the chain of bucket; at the chain's end, so that a chain lists its rows in
// table order. Links are 1-based rows, 0 ends a chain.
void append_to_chain(int* head, int* next, std::uint32_t bucket, int i) {
    int* link = &head[bucket];
    while (*link != 0)
        link = &next[*link - 1];
    *link = i + 1;
    next[i] = 0;
}

void enter_include(table_index& x, const project& p, int i) {
    const inctab_row& row = p.inctab[i];
    std::uint32_t h = include_key_hash(row.name, row.inctype, row.incdir_no);
    x.inc_hash[i] = h;
    x.inc_last_child[i] = nullptr;
    x.inc_last_ref[i] = nullptr;
    append_to_chain(x.inc_head.get(), x.inc_next.get(), h & x.inc_mask, i);
}

void enter_module(table_index& x, const project& p, int i) {
    std::uint32_t h = module_key_hash(p.modtab[i].name);
    x.mod_hash[i] = h;
    x.mod_last_ref[i] = nullptr;
    append_to_chain(x.mod_head.get(), x.mod_next.get(), h & x.mod_mask, i);
}

} // namespace

std::uint32_t module_key_hash(std::string_view name) {
    std::uint32_t h = hash_start;
    for (char c : name)
        h = hash_mix(h, static_cast<unsigned char>(ascii_upper(c)));
    return h;
}

std::uint32_t include_key_hash(std::string_view name, int inctype, int incdir_no) {
    std::uint32_t h = hash_start;
    for (char c : name)
        h = hash_mix(h, static_cast<unsigned char>(c));
    h = hash_mix(h, static_cast<unsigned char>(inctype));
    for (int shift = 0; shift < 32; shift += 8)
        h = hash_mix(h, static_cast<unsigned char>(static_cast<std::uint32_t>(incdir_no) >> shift));
    return h;
}

bool table_index_open(table_index& x, const project& p) {
    const std::size_t inc_cap = mxinc > 0 ? static_cast<std::size_t>(mxinc) : 1;
    const std::size_t mod_cap = mxmod > 0 ? static_cast<std::size_t>(mxmod) : 1;
    x.inc_mask = bucket_mask(mxinc);
    x.mod_mask = bucket_mask(mxmod);
    bool ok = take(x.inc_head, x.inc_mask + std::size_t{1}, true) &&
              take(x.inc_next, inc_cap, false) && take(x.inc_hash, inc_cap, false) &&
              take(x.inc_last_child, inc_cap, false) && take(x.inc_last_ref, inc_cap, false) &&
              take(x.mod_head, x.mod_mask + std::size_t{1}, true) &&
              take(x.mod_next, mod_cap, false) && take(x.mod_hash, mod_cap, false) &&
              take(x.mod_last_ref, mod_cap, false);
    if (!ok) return false;
    x.inc_capacity = static_cast<int>(inc_cap);
    x.mod_capacity = static_cast<int>(mod_cap);
    x.inc_indexed = x.mod_indexed = x.rinc_indexed = x.rmod_indexed = 0;
    return table_index_sync(x, p);
}

bool table_index_sync(table_index& x, const project& p) {
    if (p.inc > x.inc_capacity || p.mod > x.mod_capacity) return false;
    // No run lowers a count while its index is set; a caller that empties the tables must
    // still never be answered from chains of rows that are gone.
    if (p.inc < x.inc_indexed || p.rinc < x.rinc_indexed) {
        std::memset(x.inc_head.get(), 0, (x.inc_mask + std::size_t{1}) * sizeof(int));
        x.inc_indexed = x.rinc_indexed = 0;
    }
    if (p.mod < x.mod_indexed || p.rmod < x.rmod_indexed) {
        std::memset(x.mod_head.get(), 0, (x.mod_mask + std::size_t{1}) * sizeof(int));
        x.mod_indexed = x.rmod_indexed = 0;
    }
    for (; x.inc_indexed < p.inc; ++x.inc_indexed) {
        const int i = x.inc_indexed;
        enter_include(x, p, i);
        // A child links under its parent, which was entered before it.
        const inctab_row* parent = p.inctab[i].parent;
        if (parent != nullptr) {
            int at = row_of(parent, p);
            if (at >= 0 && at < i) x.inc_last_child[at] = &p.inctab[i];
        }
    }
    for (; x.mod_indexed < p.mod; ++x.mod_indexed)
        enter_module(x, p, x.mod_indexed);
    for (; x.rinc_indexed < p.rinc; ++x.rinc_indexed) {
        refinctab_row& ref = p.refinctab[x.rinc_indexed];
        int at = row_of(ref.include, p);
        if (at >= 0 && at < p.inc) x.inc_last_ref[at] = &ref;
    }
    for (; x.rmod_indexed < p.rmod; ++x.rmod_indexed) {
        rmodtab_row& ref = p.rmodtab[x.rmod_indexed];
        int at = row_of(ref.module, p);
        if (at >= 0 && at < p.mod) x.mod_last_ref[at] = &ref;
    }
    return true;
}
