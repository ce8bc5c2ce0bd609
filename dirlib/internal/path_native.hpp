// Paths as the tool forms them (backslash separators) turned into paths the system accepts.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

// The file-type tests, for a C runtime (Microsoft's) that has only the type bits.
#ifndef S_ISDIR
#define S_ISDIR(m) (((m)&S_IFMT) == S_IFDIR)
#endif
#ifndef S_ISREG
#define S_ISREG(m) (((m)&S_IFMT) == S_IFREG)
#endif

// A NUL-terminated copy of a name, kept in a fixed buffer when short and allocated when long.
struct name_text {
    char fixed[128];
    std::unique_ptr<char[]> heap;
    char* str = nullptr;
};

// Copies n characters of name into t and ends them with a NUL; false (silently) when memory
// is short.
bool make_name_text(name_text& t, const char* name, std::size_t n);
// Copies path into t with map_separators applied; false (silently) when memory is short.
bool make_native(name_text& t, const char* path);

// Length of a blank-padded name field without its trailing blanks; a field of length 0 or
// less is an empty name.
int field_length(int len, const char* field);

// Reads a name field into given (trailing blanks dropped) and its system form into native.
// Reports nothing: 1 when there is a name, 0 when the field is blank, -1 when memory is short.
int name_from_field(int len, const char* field, name_text& given, name_text& native);

// Reads the name field of routine into its given and system texts. False when there is none,
// with blank_message or "Error at routine : Failed to allocate memory." written and ierror -1.
bool take_name(int& ierror, int len, const char* field, const char* routine,
               const char* blank_message, name_text& given, name_text& native);

// take_name for the queries isadir and isstat ("A filename is not specified." when blank);
// on failure itype is itype_none too.
bool take_query_name(int& ierror, int& itype, int len, const char* field, const char* routine,
                     name_text& given, name_text& native);

// Entry type (itype_*) of a status mode.
int mode_itype(unsigned mode);

// Entry type (itype_*) of a system path by its status; itype_none when the query fails.
int path_itype(const char* native);
