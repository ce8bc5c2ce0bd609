// The directory library. Its own calling convention: every argument by reference,
// blank-padded character fields with explicit lengths, ierror 0 or -1, and one-line reports
// ("\nError at ...") on its report stream, standard output unless the caller sets another.
// It depends on nothing else of the tool; every routine is also exported with C linkage under
// the name gfortran gives it (opndir_, ...). What the tool's scan takes from the library is
// in dir_listing.hpp.
#pragma once

#include <cstdio>

// Sends every report of the library to fp from now on; null sends them to standard output
// again (C++ only). The library never closes fp.
void set_dirlib_reports(std::FILE* fp);

// Entry types (itype) that rddir, isadir and isstat give.
constexpr int itype_file = 0;      // a regular file
constexpr int itype_directory = 1; // a directory
constexpr int itype_other = 999;   // anything else: device, FIFO, socket, ...
constexpr int itype_none = -1;     // no entry: the end of a list, or the status query failed

// Collects every name matching the pattern in path (wildcards * and ? in the file part)
// into the sorted list of the one scan slot (handle 0). dirbuf receives the pattern's
// directory part (dirlen chars, its final separator included).
void opndir(int& ierror, const int& handle, const int& pathlen, const char* path, int& dirlen,
            char* dirbuf, const int& quote);
// Next name of the list (namelen its full length, at most buflen chars copied, the rest
// blank) with its itype. At the end of the list ierror -1 and itype_none, silently once,
// then with "No more files"; a bad or closed handle gives itype_other, reported.
void rddir(int& ierror, const int& handle, const int& buflen, int& itype, int& namelen,
           char* namebuf);
// Releases the list of the scan slot and closes it; ierror -1, reported, for a bad or
// closed handle.
void clsdir(int& ierror, const int& handle);

// itype of a path; ierror -1 and itype_none when the status query fails (silently: the
// caller reports a missing path) or the name is blank (reported).
void isadir(int& ierror, const int& len, const char* name, int& itype);

// itype, size, owner read/write/execute flags (0 or 1) and the access, change and
// modification times as 20-character texts "YYYY-MM-DD  hh-mm-ss" in local time. ierror -1
// and itype_none when the status query fails (silently) or the name is blank (reported).
void isstat(int& ierror, const int& len, const char* name, int& itype, int& size, int& readable,
            int& writable, int& executable, char* atime, char* ctime, char* mtime);
// Makes, removes, or changes to a directory; removes a file. ierror 0, or -1 with the failure
// (or the blank name) reported with the name.
void makdir(int& ierror, const int& len, const char* name); // "Failed to make a directry(name)."
void rmvdir(int& ierror, const int& len, const char* name); // "... to remove a directry(name)."
void chgdir(int& ierror, const int& len, const char* name); // "... to change a directry(name)."
void rmvfil(int& ierror, const int& len, const char* name); // "... to remove a file(name)."
// The current directory into buffer (blank-padded); ierror -1, silently, when it does not fit.
void getdir(int& ierror, const int& buflen, char* buffer, int& dirlen);
// Renames oldname to newname; with replace 1 an existing newname is replaced in one atomic
// step, otherwise it is reported and both files stay.
void renamf(int& ierror, const int& oldlen, const char* oldname, const int& newlen,
            const char* newname, const int& replace);

// The same routines under the names gfortran gives external procedures, every argument a
// pointer; each returns and reports exactly as its routine above. gfortran appends the lengths of
// character arguments as hidden trailing arguments; the explicit length arguments already carry
// them, so these ignore them.
extern "C" {
void opndir_(int* ierror, const int* handle, const int* pathlen, const char* path, int* dirlen,
             char* dirbuf, const int* quote);
void rddir_(int* ierror, const int* handle, const int* buflen, int* itype, int* namelen,
            char* namebuf);
void clsdir_(int* ierror, const int* handle);
void isadir_(int* ierror, const int* len, const char* name, int* itype);
void isstat_(int* ierror, const int* len, const char* name, int* itype, int* size, int* readable,
             int* writable, int* executable, char* atime, char* ctime, char* mtime);
void makdir_(int* ierror, const int* len, const char* name);
void rmvdir_(int* ierror, const int* len, const char* name);
void chgdir_(int* ierror, const int* len, const char* name);
void rmvfil_(int* ierror, const int* len, const char* name);
void getdir_(int* ierror, const int* buflen, char* buffer, int* dirlen);
void renamf_(int* ierror, const int* oldlen, const char* oldname, const int* newlen,
             const char* newname, const int* replace);
}
