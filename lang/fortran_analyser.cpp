// The Fortran statement analyser: a blank-insensitive prefix test for MODULE, USE, INCLUDE,
// PROGRAM (and SUBMODULE, which depends on its ancestor module like a USE).
#include "diag.hpp"
#include "lang.hpp"
#include "limits.hpp"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* tag = "build_ana_fort";

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool is_word_char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Whether s begins with kw (upper case), letter case ignored.
bool starts_nocase(const char* s, const char* kw) {
    for (; *kw != '\0'; ++s, ++kw)
        if (upper(*s) != *kw) return false;
    return true;
}

// Position of kw (upper case) in s[0..end), letter case ignored, or -1.
int find_nocase(const char* s, int end, const char* kw) {
    int kw_len = static_cast<int>(std::strlen(kw));
    for (int i = 0; i + kw_len <= end; ++i)
        if (starts_nocase(s + i, kw)) return i;
    return -1;
}

// "MODULE" followed, as written, by one of these words and more text is a separate module
// procedure or a procedure heading inside a submodule, not a module definition.
constexpr const char* module_procedure_words[] = {
    "PROCEDURE", "SUBROUTINE",    "FUNCTION",  "PURE", "IMPURE", "ELEMENTAL",
    "RECURSIVE", "NON_RECURSIVE", "INTEGER",   "REAL", "DOUBLE", "DOUBLEPRECISION",
    "COMPLEX",   "LOGICAL",       "CHARACTER", "TYPE", "CLASS"};

bool is_module_procedure(const char* bun) {
    int end = 0;
    while (end < fort_window && bun[end] != '\0')
        ++end;
    int p = 0;
    while (p < end && is_blank(bun[p]))
        ++p;
    if (end - p < 6 || !starts_nocase(bun + p, "MODULE")) return false;
    p += 6;
    if (p >= end || !is_blank(bun[p])) return false;
    while (p < end && is_blank(bun[p]))
        ++p;
    int word = p;
    while (p < end && is_word_char(bun[p]))
        ++p;
    int word_len = p - word;
    bool known = false;
    for (const char* w : module_procedure_words) {
        if (static_cast<int>(std::strlen(w)) == word_len && starts_nocase(bun + word, w)) {
            known = true;
            break;
        }
    }
    if (!known) return false;
    while (p < end && is_blank(bun[p]))
        ++p;
    return p < end;
}

// A USE statement with an ONLY list: an '=' in the list (OPERATOR(==), ASSIGNMENT(=)) does
// not make it an assignment. The '(' guard keeps array sections like USERS(1,ONLY:3)=2 out.
bool is_use_only(const char* stmt, int eq) {
    if (!starts_nocase(stmt, "USE")) return false;
    int only = find_nocase(stmt, eq, ",ONLY:");
    if (only < 0) return false;
    const void* paren = std::memchr(stmt, '(', static_cast<size_t>(only));
    return paren == nullptr;
}

int fail(const char* what, bool two_blanks, const char* bun, char* name) {
    std::printf(two_blanks ? "#ERROR#  %s  bun=[%s]\n" : "#ERROR#  %s bun=[%s]\n", what, bun);
    print_diag(1, what, tag);
    name[0] = '\0';
    return -1;
}

// Copies a module, used module or program name of len chars, or reports it missing or long.
int take_unit_name(const char* text, int len, int bunclass, const char* not_found,
                   const char* too_long, const char* bun, char* name) {
    if (len == 0) return fail(not_found, true, bun, name);
    if (len > unit_name_max) return fail(too_long, false, bun, name);
    std::memcpy(name, text, static_cast<size_t>(len));
    name[len] = '\0';
    return bunclass;
}

int used_module(const char* stmt, const char* bun, char* name) {
    const char* rest = stmt + 3;
    if (rest[0] == ',') {
        if (starts_nocase(rest, ",INTRINSIC::")) return 10; // provided by the compiler
        if (starts_nocase(rest, ",NON_INTRINSIC::")) rest += std::strlen(",NON_INTRINSIC::");
    } else if (rest[0] == ':' && rest[1] == ':') {
        rest += 2;
    }
    int len = static_cast<int>(std::strcspn(rest, ","));
    return take_unit_name(rest, len, 2, "use module name not found", "too long use module name",
                          bun, name);
}

// SUBMODULE (ancestor[:parent]) name: the source depends on the ancestor module.
int submodule_ancestor(const char* stmt, const char* bun, char* name) {
    const char* open = stmt + std::strlen("SUBMODULE(");
    const char* close = std::strchr(open, ')');
    if (close == nullptr) return fail("use module name not found", true, bun, name);
    int len = static_cast<int>(std::strcspn(open, ":)"));
    return take_unit_name(open, len, 2, "use module name not found", "too long use module name",
                          bun, name);
}

int included_file(const char* stmt, const char* bun, char* name) {
    char quote = stmt[7];
    if (quote != '\'' && quote != '"')
        return fail("delemiter not found in include statement", true, bun, name);
    const char* first = stmt + 8;
    const char* close = std::strchr(first, quote);
    if (close == nullptr) return fail("delimiter not found in include statement", true, bun, name);
    int len = static_cast<int>(close - first);
    if (len == 0) return fail("include file name not found", true, bun, name);
    std::memcpy(name, first, static_cast<size_t>(len)); // at most fort_window - 9 chars
    name[len] = '\0';
    return 3;
}

} // namespace

int build_ana_fort(const char* bun, char* name) {
    char stmt[fort_window + 1];
    int len = 0;
    for (int i = 0; i < fort_window && bun[i] != '\0'; ++i)
        if (!is_blank(bun[i])) stmt[len++] = bun[i];
    stmt[len] = '\0';
    name[0] = '\0';

    const char* eq = std::strchr(stmt, '=');
    if (eq != nullptr && eq[1] != '>' && !is_use_only(stmt, static_cast<int>(eq - stmt))) return 10;

    if (len >= 6 && starts_nocase(stmt, "MODULE")) {
        if (is_module_procedure(bun)) return 10;
        return take_unit_name(stmt + 6, len - 6, 1, "module name not found", "too long module name",
                              bun, name);
    }
    if (len >= 3 && starts_nocase(stmt, "USE")) return used_module(stmt, bun, name);
    if (len >= 7 && starts_nocase(stmt, "INCLUDE")) return included_file(stmt, bun, name);
    if (len >= 7 && starts_nocase(stmt, "PROGRAM"))
        return take_unit_name(stmt + 7, len - 7, 5, "program name not found",
                              "too long program name", bun, name);
    if (starts_nocase(stmt, "SUBMODULE(")) return submodule_ancestor(stmt, bun, name);
    return 10;
}
