// The platform seam on POSIX systems.
#include "platform.hpp"

#include <cstdio>
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
