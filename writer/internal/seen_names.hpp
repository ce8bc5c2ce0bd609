// The defining sources already listed in one dependency rule (internal to writer/), so that
// each defining source's object is listed once, whatever the number of references.
#pragma once

#include "tables.hpp"

// Whether an rmodule entry before index k of the list at rmod1 has a defining source named
// as def (exact comparison); def's name counts as met from then on. seen is empty when the
// list's first entry is asked about.
bool seen_before(row_index& seen, const rmodtab_row* rmod1, int k, const srctab_row& def);

// Empties seen of the first count entries of the list at rmod1, for the next rule.
void seen_clear(row_index& seen, const rmodtab_row* rmod1, int count);
