// The one-path queries and operations of the library, and the current directory.
#include "dirlib.hpp"
#include "path_native.hpp"

#include <algorithm>
#include <climits>
#include <cstring>
#include <ctime>
#include <new>
#include <sys/stat.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
constexpr unsigned owner_read = _S_IREAD;
constexpr unsigned owner_write = _S_IWRITE;
constexpr unsigned owner_exec = _S_IEXEC;
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
bool is_directory(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
// Replacing is one step of the system, so the old target is never gone before the new one is.
// Replacing never involves a directory, as the system documents; asked without the flag, a
// system that would let a directory replace a file (wine does) keeps the file.
bool rename_file(const char* from, const char* to, bool replace) {
    if (replace && (is_directory(from) || is_directory(to))) replace = false;
    return MoveFileExA(from, to, replace ? MOVEFILE_REPLACE_EXISTING : 0) != 0;
}
#else
constexpr unsigned owner_read = S_IRUSR;
constexpr unsigned owner_write = S_IWUSR;
constexpr unsigned owner_exec = S_IXUSR;
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
#endif

// Reads the name field of routine into its given and system texts. False when there is
// none, with blank_message or the routine's memory message written and ierror -1.
bool take_name(int& ierror, int len, const char* field, const char* routine,
               const char* blank_message, name_text& given, name_text& native) {
    int got = name_from_field(len, field, given, native);
    if (got > 0) return true;
    if (got == 0)
        std::printf("%s", blank_message);
    else
        std::printf("\nError at %s : Failed to allocate memory.\n", routine);
    ierror = -1;
    return false;
}

// "YYYY-MM-DD  hh-mm-ss" in local time, 20 characters without terminator.
void time_text(char* out, std::time_t t) {
    constexpr std::size_t width = 20;
    std::memset(out, ' ', width);
    const std::tm* tm = std::localtime(&t);
    if (tm == nullptr) return;
    char text[64];
    int n = std::snprintf(text, sizeof text, "%04d-%02d-%02d  %02d-%02d-%02d", tm->tm_year + 1900,
                          tm->tm_mon + 1, tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec);
    if (n > 0) std::memcpy(out, text, std::min(static_cast<std::size_t>(n), width));
}

} // namespace

void isstat(int& ierror, const int& len, const char* name, int& itype, int& size, int& readable,
            int& writable, int& executable, char* atime, char* ctime, char* mtime) {
    name_text given;
    name_text native;
    if (!take_name(ierror, len, name, "isstat",
                   "\nError at isstat : A filename is not specified.\n", given, native)) {
        itype = -1;
        return;
    }
    struct stat st;
    if (stat(native.str, &st) != 0) {
        ierror = -1;
        itype = -1;
        return;
    }
    ierror = 0;
    itype = S_ISDIR(st.st_mode) ? 1 : S_ISREG(st.st_mode) ? 0 : 999;
    // A size beyond the int field is shown as the largest it holds, not wrapped negative.
    size = st.st_size > INT_MAX ? INT_MAX : static_cast<int>(st.st_size);
    readable = (st.st_mode & owner_read) != 0 ? 1 : 0;
    writable = (st.st_mode & owner_write) != 0 ? 1 : 0;
    executable = (st.st_mode & owner_exec) != 0 ? 1 : 0;
    time_text(atime, st.st_atime);
    time_text(ctime, st.st_ctime);
    time_text(mtime, st.st_mtime);
}

void makdir(int& ierror, const int& len, const char* name) {
    name_text given;
    name_text native;
    if (!take_name(ierror, len, name, "makdir",
                   "\nError at makdir : A Directry name is not specified.\n", given, native))
        return;
    ierror = 0;
    if (make_directory(native.str) != 0) {
        std::printf("\nError at makdir : Failed to make a directry(%s).\n", given.str);
        ierror = -1;
    }
}

void rmvdir(int& ierror, const int& len, const char* name) {
    name_text given;
    name_text native;
    if (!take_name(ierror, len, name, "rmvdir",
                   "\nError at rmvdir : A filename is not specified.\n", given, native))
        return;
    ierror = 0;
    if (remove_directory(native.str) != 0) {
        std::printf("\nError at rmvdir : Failed to remove a directry(%s).\n", given.str);
        ierror = -1;
    }
}

void chgdir(int& ierror, const int& len, const char* name) {
    name_text given;
    name_text native;
    if (!take_name(ierror, len, name, "chgdir",
                   "\nError at chgdir : A filename is not specified.\n", given, native))
        return;
    ierror = 0;
    if (change_directory(native.str) != 0) {
        std::printf("\nError at chgdir : Failed to change a directry(%s).\n", given.str);
        ierror = -1;
    }
}

void rmvfil(int& ierror, const int& len, const char* name) {
    name_text given;
    name_text native;
    if (!take_name(ierror, len, name, "rmvfil",
                   "\nError at rmvfil : A filename is not specified.\n", given, native))
        return;
    ierror = 0;
    if (remove_file(native.str) != 0) {
        std::printf("\nError at rmvfil : Failed to remove a file(%s).\n", given.str);
        ierror = -1;
    }
}

void getdir(int& ierror, const int& buflen, char* buffer, int& dirlen) {
    ierror = -1;
    if (buflen <= 0) return;
    auto room = static_cast<std::size_t>(buflen);
    std::memset(buffer, ' ', room);
    std::unique_ptr<char[]> text(new (std::nothrow) char[room + 1]);
    if (!text || current_directory(text.get(), room + 1) == nullptr) return;
    std::size_t n = std::strlen(text.get());
    if (n > room) return;
    std::memcpy(buffer, text.get(), n);
    dirlen = static_cast<int>(n);
    ierror = 0;
}

void renamf(int& ierror, const int& oldlen, const char* oldname, const int& newlen,
            const char* newname, const int& replace) {
    ierror = 0;
    name_text old_given;
    name_text old_native;
    name_text new_given;
    name_text new_native;
    if (!take_name(ierror, oldlen, oldname, "renamf",
                   "\nError at renamf : A old filename is not specified.\n", old_given, old_native))
        return;
    if (!take_name(ierror, newlen, newname, "renamf",
                   "\nError at renamf : A new filename is not specified.\n", new_given, new_native))
        return;
    if (path_itype(old_native.str) < 0) {
        std::printf("\nError at renamf : A file which has a old filename(%s) dose not exits.\n",
                    old_given.str);
        ierror = -1;
        return;
    }
    if (std::strcmp(old_given.str, new_given.str) == 0) return;
    if (replace != 1 && path_itype(new_native.str) >= 0) {
        std::printf("\nError at renamf : A file which has a new filename(%s) exits already.\n",
                    new_given.str);
        ierror = -1;
        return;
    }
    if (!rename_file(old_native.str, new_native.str, replace == 1)) {
        std::printf("\nError at renamf : Failed to make link: Old name(%s):New name(%s).\n",
                    old_given.str, new_given.str);
        ierror = -1;
    }
}
