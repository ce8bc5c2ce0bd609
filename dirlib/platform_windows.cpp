// The platform seam on Windows (Microsoft's C runtime).
#include "dir_listing.hpp"
#include "dirlib.hpp"
#include "path_native.hpp"
#include "platform.hpp"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <sys/stat.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <direct.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

owner_access owner_access_of(unsigned mode) {
    return {(mode & _S_IREAD) != 0 ? 1 : 0, (mode & _S_IWRITE) != 0 ? 1 : 0,
            (mode & _S_IEXEC) != 0 ? 1 : 0};
}

int make_directory(const char* path) {
    return _mkdir(path);
}
int remove_directory(const char* path) {
    return _rmdir(path);
}
int change_directory(const char* path) {
    return _chdir(path);
}
int remove_file(const char* path) {
    return _unlink(path);
}

char* current_directory(char* buf, std::size_t size) {
    return _getcwd(buf, static_cast<int>(std::min<std::size_t>(size, INT_MAX)));
}

namespace {

bool is_directory(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

// Replacing is one step of the system, so the old target is never gone before the new one is.
// Replacing never involves a directory, as the system documents; asked without the flag, a
// system that would let a directory replace a file (wine does) keeps the file.
bool rename_file(const char* from, const char* to, bool replace) {
    if (replace && (is_directory(from) || is_directory(to))) replace = false;
    return MoveFileExA(from, to, replace ? MOVEFILE_REPLACE_EXISTING : 0) != 0;
}

void map_separators(char* /*text*/) {}

void allow_many_open_files() {
    _setmaxstdio(2048);
}

std::FILE* open_regular(const char* native, int& itype) {
    itype = path_itype(native);
    return itype == itype_file ? std::fopen(native, "r") : nullptr;
}

bool listing_matches_search() {
    return false;
}
