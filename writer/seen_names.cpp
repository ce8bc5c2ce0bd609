// The defining sources already listed in one dependency rule.
#include "seen_names.hpp"

#include "hash.hpp"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// The table size for count names: a power of two at least twice count, and 64 at least.
constexpr std::size_t seen_min_slots = 64;

bool look_back(const rmodtab_row* rmod1, int k, const srctab_row& def) {
    for (int j = 0; j < k; ++j) {
        const srctab_row* other = rmod1[j].module->source;
        if (other != nullptr && std::strcmp(other->name, def.name) == 0) return true;
    }
    return false;
}

} // namespace

void seen_start(seen_names& seen, int count) {
    seen.active = false;
    if (count <= seen_names::look_back_max) return;
    std::size_t size = seen_min_slots;
    while (size < 2 * static_cast<std::size_t>(count))
        size <<= 1;
    try {
        if (seen.slots.size() < size) seen.slots.resize(size);
    } catch (const std::bad_alloc&) {
        return;
    }
    std::fill(seen.slots.begin(), seen.slots.begin() + static_cast<std::ptrdiff_t>(size), nullptr);
    seen.mask = size - 1;
    seen.active = true;
}

bool seen_before(seen_names& seen, const rmodtab_row* rmod1, int k, const srctab_row& def) {
    if (!seen.active) return look_back(rmod1, k, def);
    for (std::size_t at = hash_text(def.name) & seen.mask;; at = (at + 1) & seen.mask) {
        if (seen.slots[at] == nullptr) {
            seen.slots[at] = def.name;
            return false;
        }
        if (std::strcmp(seen.slots[at], def.name) == 0) return true;
    }
}
