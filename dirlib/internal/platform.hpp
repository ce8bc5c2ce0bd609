// Every difference of the platforms that the library meets, behind one seam: a POSIX and a
// Windows source, chosen by the build. Paths given here are in the system's own form.
#pragma once

#include <cstddef>
#include <cstdio>

// The owner's read, write and execute permission in a status mode, each 0 or 1.
struct owner_access {
    int read;
    int write;
    int execute;
};
// The owner's permissions in the status mode of a file. Reports nothing.
owner_access owner_access_of(unsigned mode);

// The system calls behind makdir, rmvdir, chgdir and rmvfil: each returns 0 on success and
// nonzero on failure, and reports nothing.
int make_directory(const char* path);   // a new directory, open to all the umask allows
int remove_directory(const char* path); // an empty directory
int change_directory(const char* path); // the process's current directory
int remove_file(const char* path);      // never a directory

// The current directory into buf (size chars, NUL included); null when it does not fit.
char* current_directory(char* buf, std::size_t size);

// Renames from to to; with replace an existing file to is replaced in one step of the system.
// False when the system refuses.
bool rename_file(const char* from, const char* to, bool replace);

// Turns every backslash of text into the system's separator in place (on Windows the text is
// already the system's own and stays as it is).
void map_separators(char* text);

// Opens a system path for reading when it is a regular file, with its entry type in itype
// (itype_*). Null for anything else; a regular file that cannot be opened gives null with
// itype_file. Where the system allows, the type is asked of the open file (one walk along the
// path) and the open does not wait (a FIFO). Reports nothing.
std::FILE* open_regular(const char* native, int& itype);

// Whether a listing of a directory's names, matched with search_match, gives exactly what
// the system's search gives for a pattern: not on Windows, whose search also matches each
// name's short form.
bool listing_matches_search();
