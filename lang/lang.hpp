// Statement readers and analysers. They know an open file's input and the caller's buffers
// only: in, bun (bun_size bytes), cdstack (cdstack_size bytes) and flg_cdstack belong to the
// caller, one set per open file, and nothing else survives between calls.
#pragma once

#include "text_input.hpp"

// Reads the next statement into bun with the Fortran reader (lang_fortran, in the source form
// form_fixed or form_free) or the C reader (any other lang; form unused). Returns the physical
// lines consumed (> 0), 0 at the end of the file, -1 after a reported error or a read failure.
int mprc_readbun(text_input& in, char* bun, int lang, int form, int flg_first, char* cdstack,
                 int* flg_cdstack);
// The Fortran reader: form_free reads free form, every other code fixed form.
int build_read_fort(text_input& in, char* bun, int form, int flg_first, char* cdstack,
                    int* flg_cdstack);
int build_read_c(text_input& in, char* bun, int flg_first, char* cdstack, int* flg_cdstack);

// Classifies one statement: 1 MODULE, 2 USE, 3 include, 5 PROGRAM, 10 anything else,
// -1 a faulty statement (reported). name (name_size bytes) receives the name or is emptied.
int mprc_anabun(int lang, const char* bun, char* name);
int build_ana_fort(const char* bun, char* name);
int build_ana_c(const char* bun, char* name);
