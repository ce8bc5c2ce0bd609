// The C statement analyser: recognises #include "name", the include of a local header.
#include "analyser_fault.hpp"
#include "ascii.hpp"
#include "codes.hpp"
#include "lang.hpp"
#include "limits.hpp"

#include <cstring>

namespace {
constexpr const char* tag = "build_ana_c";
} // namespace

int build_ana_c(const char* bun, char* name) {
    char stmt[c_window + 1];
    int len = 0;
    for (int i = 0; i < c_window && bun[i] != '\0'; ++i)
        if (!is_blank(bun[i])) stmt[len++] = bun[i];
    stmt[len] = '\0';
    name[0] = '\0';

    static constexpr char directive[] = "#include\"";
    if (stmt[0] != '#' || std::strncmp(stmt, directive, sizeof directive - 1) != 0)
        return bunclass_other;
    const char* first = stmt + sizeof directive - 1;
    const char* close = std::strchr(first, '"');
    if (close == nullptr)
        return analyser_fault("delimiter not found in include statement", true, bun, name, tag);
    int name_len = static_cast<int>(close - first);
    if (name_len == 0) return analyser_fault("include file name not found", true, bun, name, tag);
    if (name_len > include_name_max)
        return analyser_fault("too long include file name", false, bun, name, tag);
    std::memcpy(name, first, static_cast<size_t>(name_len));
    name[name_len] = '\0';
    return bunclass_include;
}
