// The platform seam on POSIX systems.
#include "dir_listing.hpp"
#include "dirlib.hpp"
#include "path_native.hpp"
#include "platform.hpp"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

owner_access owner_access_of(unsigned mode) {
    return {(mode & S_IRUSR) != 0 ? 1 : 0, (mode & S_IWUSR) != 0 ? 1 : 0,
            (mode & S_IXUSR) != 0 ? 1 : 0};
}

int make_directory(const char* path) {
    return mkdir(path, 0777);
}
int remove_directory(const char* path) {
    return rmdir(path);
}
int change_directory(const char* path) {
    return chdir(path);
}
// unlink, not remove: remove would take an empty directory too.
int remove_file(const char* path) {
    return unlink(path);
}

char* current_directory(char* buf, std::size_t size) {
    return getcwd(buf, size);
}

// rename replaces an existing target atomically; the target is never removed beforehand.
bool rename_file(const char* from, const char* to, bool /*replace*/) {
    return std::rename(from, to) == 0;
}

// The tool joins paths with backslashes as on Windows; here they must reach the system as
// separators, while messages keep the text as the caller formed it.
void map_separators(char* text) {
    for (char* p = text; *p != '\0'; ++p)
        if (*p == '\\') *p = '/';
}

void allow_many_open_files() {}

std::FILE* open_regular(const char* native, int& itype) {
    // Opened without waiting, as a FIFO would make it wait for a writer; then its type is
    // asked of the open file, without a second walk along the path.
    const int fd = open(native, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        itype = path_itype(native); // tells a missing path from an unreadable file
        return nullptr;
    }
    struct stat st;
    itype = fstat(fd, &st) == 0 ? mode_itype(static_cast<unsigned>(st.st_mode)) : itype_none;
    if (itype != itype_file) {
        close(fd);
        return nullptr;
    }
    std::FILE* fp = fdopen(fd, "r");
    if (fp == nullptr) close(fd);
    return fp;
}

bool listing_matches_search() {
    return true;
}
