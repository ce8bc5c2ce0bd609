// The one-path queries and operations of the library, and the current directory.
#include "dirlib.hpp"
#include "path_native.hpp"
#include "platform.hpp"
#include "reports.hpp"

#include <algorithm>
#include <climits>
#include <cstring>
#include <ctime>
#include <new>
#include <sys/stat.h>

namespace {

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

// The four operations on one named path, with their reports.
enum class path_operation { make_directory, remove_directory, change_directory, remove_file };

struct path_operation_text {
    const char* routine;
    const char* blank_message; // no name given
    const char* failure;       // the system refused; %s is the name as given
};

constexpr path_operation_text operation_texts[] = {
    {"makdir", "\nError at makdir : A Directry name is not specified.\n",
     "\nError at makdir : Failed to make a directry(%s).\n"},
    {"rmvdir", "\nError at rmvdir : A filename is not specified.\n",
     "\nError at rmvdir : Failed to remove a directry(%s).\n"},
    {"chgdir", "\nError at chgdir : A filename is not specified.\n",
     "\nError at chgdir : Failed to change a directry(%s).\n"},
    {"rmvfil", "\nError at rmvfil : A filename is not specified.\n",
     "\nError at rmvfil : Failed to remove a file(%s).\n"},
};

int run_operation(path_operation op, const char* native) {
    switch (op) {
    case path_operation::make_directory:
        return make_directory(native);
    case path_operation::remove_directory:
        return remove_directory(native);
    case path_operation::change_directory:
        return change_directory(native);
    case path_operation::remove_file:
        return remove_file(native);
    }
    return -1;
}

// makdir, rmvdir, chgdir and rmvfil: the name field, the system call, the report.
void one_path_operation(int& ierror, int len, const char* name, path_operation op) {
    const path_operation_text& text = operation_texts[static_cast<int>(op)];
    name_text given;
    name_text native;
    if (!take_name(ierror, len, name, text.routine, text.blank_message, given, native)) return;
    ierror = 0;
    if (run_operation(op, native.str) != 0) {
        std::fprintf(report_stream(), text.failure, given.str);
        ierror = -1;
    }
}

} // namespace

void isstat(int& ierror, const int& len, const char* name, int& itype, int& size, int& readable,
            int& writable, int& executable, char* atime, char* ctime, char* mtime) {
    name_text given;
    name_text native;
    if (!take_query_name(ierror, itype, len, name, "isstat", given, native)) return;
    struct stat st;
    if (stat(native.str, &st) != 0) {
        ierror = -1;
        itype = itype_none;
        return;
    }
    ierror = 0;
    itype = mode_itype(static_cast<unsigned>(st.st_mode));
    // A size beyond the int field is shown as the largest it holds, not wrapped negative.
    size = st.st_size > INT_MAX ? INT_MAX : static_cast<int>(st.st_size);
    const owner_access access = owner_access_of(static_cast<unsigned>(st.st_mode));
    readable = access.read;
    writable = access.write;
    executable = access.execute;
    time_text(atime, st.st_atime);
    time_text(ctime, st.st_ctime);
    time_text(mtime, st.st_mtime);
}

void makdir(int& ierror, const int& len, const char* name) {
    one_path_operation(ierror, len, name, path_operation::make_directory);
}

void rmvdir(int& ierror, const int& len, const char* name) {
    one_path_operation(ierror, len, name, path_operation::remove_directory);
}

void chgdir(int& ierror, const int& len, const char* name) {
    one_path_operation(ierror, len, name, path_operation::change_directory);
}

void rmvfil(int& ierror, const int& len, const char* name) {
    one_path_operation(ierror, len, name, path_operation::remove_file);
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
        std::fprintf(report_stream(),
                     "\nError at renamf : A file which has a old filename(%s) dose not exits.\n",
                     old_given.str);
        ierror = -1;
        return;
    }
    if (std::strcmp(old_given.str, new_given.str) == 0) return;
    if (replace != 1 && path_itype(new_native.str) >= 0) {
        std::fprintf(report_stream(),
                     "\nError at renamf : A file which has a new filename(%s) exits already.\n",
                     new_given.str);
        ierror = -1;
        return;
    }
    if (!rename_file(old_native.str, new_native.str, replace == 1)) {
        std::fprintf(report_stream(),
                     "\nError at renamf : Failed to make link: Old name(%s):New name(%s).\n",
                     old_given.str, new_given.str);
        ierror = -1;
    }
}
