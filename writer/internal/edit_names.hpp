// The edited names of the makefile, formed without a report: the writer's loops form them
// here and report through output_edit_obj, output_edit_src and output_edit_inc only when
// one fails. Results hold edited_size chars.
#pragma once

#include "tables.hpp"

// The edited object name of a source called name (name_len chars) into result, when the name
// has at most src_name_max chars and the result is shorter than limit. Returns its length,
// or -1 with an empty result.
int edit_obj(char* result, int limit, int src_name_max, const char* name, int name_len);

// The edited source name of row (its name name_len chars long), when shorter than limit; as
// edit_obj.
int edit_src(char* result, int limit, const srctab_row& row, int name_len);

// The edited include name of entry; as edit_src.
int edit_inc(char* result, int limit, const inctab_row& entry);
