// The edited names of the makefile, formed without a report: the writer's loops form them
// here and report through output_edit_obj, output_edit_src and output_edit_inc only when
// one fails, after handing the text gathered so far to the stream.
#pragma once

#include "tables.hpp"

// The edited object name of a source called name (name_len chars) into result, when it is
// shorter than limit. Returns its length, or -1 with an empty result.
int edit_obj(char* result, int limit, const char* name, int name_len);

// The edited source name of row (its name name_len chars long); as edit_obj.
int edit_src(char* result, int limit, const srctab_row& row, int name_len);

// The edited include name of entry; as edit_obj.
int edit_inc(char* result, int limit, const inctab_row& entry);
