// What the tool's scan takes from the directory library (C++ only): wildcard patterns expanded
// into names, files opened by the paths the tool forms, and room for many open files. The
// Fortran-callable routines are in dirlib.hpp.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// The listing of one directory, read once for the patterns that name it.
struct listed_directory {
    std::string dir;                // the directory part, as the pattern wrote it
    std::vector<std::string> names; // every name in it, in the order rddir hands them out
};

// The listings of the directories that the latest patterns named, so that the patterns of
// one directory given side by side (s\*.f s\*.f90 s\*.c) read it once. Only a few are kept:
// holding every directory of a large run would cost memory for little gain.
struct dir_listings {
    static constexpr std::size_t kept = 4;
    std::vector<listed_directory> dirs; // the most recently read last
    std::vector<std::string> found;     // the latest pattern's names, where no listing serves
};

// Expands the wildcard pattern path, as opndir takes it (handle 0, no quote removal): the
// names in its directory part that match its file pattern ('*' any string, '?' any one
// character, letters ignoring case, as the platform's file search matches), in the order
// rddir hands them out, into names; they stay valid until the next call with kept. False
// after the report that opndir writes for the pattern ("\nError at opndir : ...") when
// nothing matches, the directory cannot be read, or memory is short; names is then empty.
bool expand_pattern(dir_listings& kept, const char* path, std::vector<const char*>& names);

// Opens a regular file for reading by the path as the tool forms it (on POSIX every backslash
// is a directory separator), with its entry type in itype as isadir gives it (0 regular file,
// 1 directory, 999 anything else, -1 no entry). Null unless itype is 0 and the open succeeded;
// a regular file that cannot be opened gives null and itype 0. Where the system allows, the
// type is asked of the open file and a FIFO is not waited for. A path ending in a blank is
// typed without its trailing blanks, as isadir reads a name field, and opened as it is.
// Reports nothing.
std::FILE* fopen_regular(const char* path, int& itype);

// Lets the process hold as many open streams as the C runtime allows (an include chain keeps
// one open per level); nothing where the limit is the system's alone.
void allow_many_open_files();
