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
// The Fortran reader (form_free: free form; any other code: fixed form). Returns as
// mprc_readbun; reports a statement of more than fort_card_max lines or bun_size - 1 characters.
int build_read_fort(text_input& in, char* bun, int form, int flg_first, char* cdstack,
                    int* flg_cdstack);
// The C reader. Returns as mprc_readbun; reports a statement of more than bun_size - 1
// characters, and drops without a word one that the end of the file leaves unfinished.
int build_read_c(text_input& in, char* bun, int flg_first, char* cdstack, int* flg_cdstack);

// Classifies one statement with the Fortran analyser (lang_fortran) or the C analyser (any
// other lang): a bunclass_* code; name (name_size bytes) receives the name or is emptied.
// name_max is the longest module, used-module and program name the run allows.
int mprc_anabun(int lang, const char* bun, char* name, int name_max);
// MODULE, USE (or SUBMODULE's ancestor), INCLUDE or #include "name", PROGRAM or another
// statement (a pointer assignment among them), judged on its first fort_window characters;
// bunclass_fault after the report of a missing or faulty name,
// or of a module, used-module or program name over name_max characters.
int build_ana_fort(const char* bun, char* name, int name_max);
// #include "name" or another statement, judged on its first c_window characters;
// bunclass_fault after the report of a missing, unclosed or too long name.
int build_ana_c(const char* bun, char* name);

// The language of a source file from its name: lang_fortran when the character after the
// first dot is f or F, lang_c when it is c or C, lang_none for any other name.
int source_language(const char* name);
// The source form of a Fortran file from its name: form_free when the text after the last dot
// is f90, f95, f03 or f08 (letter case ignored), form_fixed for every other name.
int source_form(const char* name);
