// Taking single command-line arguments apart into name-table rows. Every result is a piece of
// the argument or ".", so it always fits a row as wide as the longest argument plus two.
#include "diag.hpp"
#include "driver.hpp"

#include <algorithm>
#include <cstring>

namespace {

void slashes_to_backslashes(char* text) {
    for (; *text != '\0'; ++text)
        if (*text == '/') *text = '\\';
}

} // namespace

std::size_t longest_argument(int argc, char** argv) {
    std::size_t longest = 0;
    for (int i = 0; i < argc; ++i)
        longest = std::max(longest, std::strlen(argv[i]));
    return longest;
}

int mprc_argsrc(const char* argument, char* srcdir_row, char* srcfil_row) {
    srcdir_row[0] = '\0';
    srcfil_row[0] = '\0';
    // A backslash anywhere wins over a slash after it: the user wrote a native path.
    const char* sep = std::strrchr(argument, '\\');
    if (sep == nullptr) sep = std::strrchr(argument, '/');
    if (sep == nullptr) {
        std::strcpy(srcdir_row, ".");
        std::strcpy(srcfil_row, argument);
        return 0;
    }
    int status = 0;
    std::size_t dirlen = static_cast<std::size_t>(sep - argument);
    if (sep[1] == '\0') {
        // Nothing names a file: the whole argument is the directory.
        dirlen = std::strlen(argument);
        report_err("#ERROR# argument [%s] error : not file\n", argument);
        status = -1;
    } else {
        std::strcpy(srcfil_row, sep + 1);
    }
    std::memcpy(srcdir_row, argument, dirlen);
    srcdir_row[dirlen] = '\0';
    if (*sep == '/') slashes_to_backslashes(srcdir_row);
    return status;
}

int mprc_arginc(const char* argument, char* incdir_row) {
    incdir_row[0] = '\0';
    if (std::strlen(argument) < 3) {
        report(severity::error, "argumenterr ", "mprc_arginc",
               "#ERROR#  argument [%s] error : not include directory\n", argument);
        return -1;
    }
    std::strcpy(incdir_row, argument + 2);
    char sep = '\\';
    if (std::strchr(incdir_row, '\\') == nullptr && std::strchr(incdir_row, '/') != nullptr)
        sep = '/';
    std::size_t len = std::strlen(incdir_row);
    if (incdir_row[len - 1] == sep) incdir_row[len - 1] = '\0';
    if (sep == '/') slashes_to_backslashes(incdir_row);
    return 0;
}
