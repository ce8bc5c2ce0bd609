// The set of defining-source names met in one source's module list, so that each defining
// source's object is listed once.
#pragma once

#include "tables.hpp"

#include <cstddef>
#include <vector>

// Short lists look back over their earlier entries; long ones, where that would cost the
// square of the list, keep a hash set. Both give the same answer. The slots are kept from
// row to row and cleared only where a long list used them.
struct seen_names {
    static constexpr int look_back_max = 16;
    std::vector<const char*> slots;
    std::size_t mask = 0;
    bool active = false;
};

// Prepares seen for a list of count entries; a set that cannot be allocated falls back to
// looking back, which is only slower.
void seen_start(seen_names& seen, int count);

// Whether an rmodule entry before index k of the list at rmod1 has a defining source named
// as def (exact comparison); def's name counts as met from now on.
bool seen_before(seen_names& seen, const rmodtab_row* rmod1, int k, const srctab_row& def);
