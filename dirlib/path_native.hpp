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

// Turns every backslash of text into the system's separator in place (POSIX only; on
// Windows the text is left as it is).
void map_separators(char* text);

// A NUL-terminated copy of a name, kept in a fixed buffer when short and allocated when long.
struct name_text {
    char fixed[128];
    std::unique_ptr<char[]> heap;
    char* str = nullptr;
};

// Copies n characters of name into t and ends them with a NUL; false when memory is short.
bool make_name_text(name_text& t, const char* name, std::size_t n);
// Copies path into t with map_separators applied; false when memory is short.
bool make_native(name_text& t, const char* path);

// Length of a blank-padded name field without its trailing blanks; a field of length 0 or
// less is an empty name.
int field_length(int len, const char* field);

// Reads a name field into given (trailing blanks dropped) and its system form into native.
// 1 when there is a name, 0 when the field is blank, -1 when memory is short.
int name_from_field(int len, const char* field, name_text& given, name_text& native);

// Entry type of a system path by its status: 0 regular file, 1 directory, 999 anything
// else, -1 when the status query fails.
int path_itype(const char* native);

// Opens a system path for reading when it is a regular file, with its entry type in itype as
// path_itype gives it. Null for anything else; a regular file that cannot be opened gives
// null with itype 0.
std::FILE* open_regular(const char* native, int& itype);
