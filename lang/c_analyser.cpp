// The C statement analyser: recognises #include "name", the include of a local header.
#include "diag.hpp"
#include "lang.hpp"
#include "limits.hpp"

#include <cstdio>
#include <cstring>

namespace {

int fail(const char* what, bool two_blanks, const char* bun, char* name) {
    std::printf(two_blanks ? "#ERROR#  %s  bun=[%s]\n" : "#ERROR#  %s bun=[%s]\n", what, bun);
    print_diag(1, what, "build_ana_c");
    name[0] = '\0';
    return -1;
}

} // namespace

int build_ana_c(const char* bun, char* name) {
    char stmt[c_window + 1];
    int len = 0;
    for (int i = 0; i < c_window && bun[i] != '\0'; ++i)
        if (bun[i] != ' ' && bun[i] != '\t') stmt[len++] = bun[i];
    stmt[len] = '\0';
    name[0] = '\0';

    static constexpr char directive[] = "#include\"";
    if (stmt[0] != '#' || std::strncmp(stmt, directive, sizeof directive - 1) != 0) return 10;
    const char* first = stmt + sizeof directive - 1;
    const char* close = std::strchr(first, '"');
    if (close == nullptr) return fail("delimiter not found in include statement", true, bun, name);
    int name_len = static_cast<int>(close - first);
    if (name_len == 0) return fail("include file name not found", true, bun, name);
    if (name_len > include_name_max) return fail("too long include file name", false, bun, name);
    std::memcpy(name, first, static_cast<size_t>(name_len));
    name[name_len] = '\0';
    return 3;
}
