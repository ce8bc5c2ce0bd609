// The defining sources already listed in one dependency rule: the list's entries indexed by
// their defining source's name.
#include "seen_names.hpp"

#include "hash.hpp"

#include <cstring>

bool seen_before(row_index& seen, const rmodtab_row* rmod1, int k, const srctab_row& def) {
    index_walk w = index_start(seen, hash_text(def.name));
    for (int at; (at = index_next(seen, w)) >= 0;)
        if (std::strcmp(rmod1[at].module->source->name, def.name) == 0) return true;
    index_add(seen, w, k);
    return false;
}

void seen_clear(row_index& seen, const rmodtab_row* rmod1, int count) {
    for (int k = 0; k < count; ++k)
        if (const srctab_row* def = rmod1[k].module->source)
            index_forget(seen, hash_text(def->name));
}
