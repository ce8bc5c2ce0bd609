// The library under gfortran's names for external procedures, so that Fortran code calls
// it with plain CALL statements.
#include "dirlib.hpp"

extern "C" {

void opndir_(int* ierror, const int* handle, const int* pathlen, const char* path, int* dirlen,
             char* dirbuf, const int* quote) {
    opndir(*ierror, *handle, *pathlen, path, *dirlen, dirbuf, *quote);
}

void rddir_(int* ierror, const int* handle, const int* buflen, int* itype, int* namelen,
            char* namebuf) {
    rddir(*ierror, *handle, *buflen, *itype, *namelen, namebuf);
}

void clsdir_(int* ierror, const int* handle) {
    clsdir(*ierror, *handle);
}

void isadir_(int* ierror, const int* len, const char* name, int* itype) {
    isadir(*ierror, *len, name, *itype);
}

void isstat_(int* ierror, const int* len, const char* name, int* itype, int* size, int* readable,
             int* writable, int* executable, char* atime, char* ctime, char* mtime) {
    isstat(*ierror, *len, name, *itype, *size, *readable, *writable, *executable, atime, ctime,
           mtime);
}

void makdir_(int* ierror, const int* len, const char* name) {
    makdir(*ierror, *len, name);
}

void rmvdir_(int* ierror, const int* len, const char* name) {
    rmvdir(*ierror, *len, name);
}

void chgdir_(int* ierror, const int* len, const char* name) {
    chgdir(*ierror, *len, name);
}

void rmvfil_(int* ierror, const int* len, const char* name) {
    rmvfil(*ierror, *len, name);
}

void getdir_(int* ierror, const int* buflen, char* buffer, int* dirlen) {
    getdir(*ierror, *buflen, buffer, *dirlen);
}

void renamf_(int* ierror, const int* oldlen, const char* oldname, const int* newlen,
             const char* newname, const int* replace) {
    renamf(*ierror, *oldlen, oldname, *newlen, newname, *replace);
}

} // extern "C"
