// The Fortran statement analyser: a blank-insensitive prefix test for MODULE, USE, INCLUDE,
// PROGRAM (and SUBMODULE, which depends on its ancestor module like a USE).
#include "analyser_fault.hpp"
#include "ascii.hpp"
#include "codes.hpp"
#include "lang.hpp"
#include "limits.hpp"

#include <cstring>

namespace {

constexpr const char* tag = "build_ana_fort";

// Keyword lengths, for the name that follows a keyword in a statement without blanks.
constexpr int module_len = sizeof "MODULE" - 1;
constexpr int use_len = sizeof "USE" - 1;
constexpr int include_len = sizeof "INCLUDE" - 1;
constexpr int program_len = sizeof "PROGRAM" - 1;

bool is_word_char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Whether s begins with kw (upper case), letter case ignored.
bool starts_nocase(const char* s, const char* kw) {
    for (; *kw != '\0'; ++s, ++kw)
        if (ascii_upper(*s) != *kw) return false;
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
    if (end - p < module_len || !starts_nocase(bun + p, "MODULE")) return false;
    p += module_len;
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

// What one statement's analysis knows: the statement as read, without blanks, and the
// longest module, used-module and program name the run allows.
struct statement {
    const char* bun;
    const char* stmt;
    int name_max;
};

// Copies a module, used module or program name of len chars, or reports it missing or long.
int take_unit_name(const statement& s, const char* text, int len, int bunclass,
                   const char* not_found, const char* too_long, char* name) {
    const char* bun = s.bun;
    if (len == 0) return analyser_fault(not_found, true, bun, name, tag);
    if (len > s.name_max) return analyser_fault(too_long, false, bun, name, tag);
    std::memcpy(name, text, static_cast<size_t>(len));
    name[len] = '\0';
    return bunclass;
}

int used_module(const statement& s, char* name) {
    const char* rest = s.stmt + use_len;
    if (rest[0] == ',') {
        if (starts_nocase(rest, ",INTRINSIC::")) return bunclass_other; // provided by the compiler
        if (starts_nocase(rest, ",NON_INTRINSIC::")) rest += std::strlen(",NON_INTRINSIC::");
    } else if (rest[0] == ':' && rest[1] == ':') {
        rest += 2;
    }
    int len = static_cast<int>(std::strcspn(rest, ","));
    return take_unit_name(s, rest, len, bunclass_use, "use module name not found",
                          "too long use module name", name);
}

// SUBMODULE (ancestor[:parent]) name: the source depends on the ancestor module.
int submodule_ancestor(const statement& s, char* name) {
    const char* open = s.stmt + std::strlen("SUBMODULE(");
    const char* close = std::strchr(open, ')');
    if (close == nullptr)
        return analyser_fault("use module name not found", true, s.bun, name, tag);
    int len = static_cast<int>(std::strcspn(open, ":)"));
    return take_unit_name(s, open, len, bunclass_use, "use module name not found",
                          "too long use module name", name);
}

// The include file name that begins at first and ends before the next quote, or the report
// of one without its closing quote or empty.
int quoted_name(const char* first, char quote, const char* bun, char* name) {
    const char* close = std::strchr(first, quote);
    if (close == nullptr)
        return analyser_fault("delimiter not found in include statement", true, bun, name, tag);
    int len = static_cast<int>(close - first);
    if (len == 0) return analyser_fault("include file name not found", true, bun, name, tag);
    std::memcpy(name, first, static_cast<size_t>(len)); // less than fort_window chars
    name[len] = '\0';
    return bunclass_include;
}

int included_file(const char* stmt, const char* bun, char* name) {
    char quote = stmt[include_len];
    if (quote != '\'' && quote != '"')
        return analyser_fault("delemiter not found in include statement", true, bun, name, tag);
    return quoted_name(stmt + include_len + 1, quote, bun, name);
}

// A pointer assignment: "=>" before the first comma (p => t, use_x => y, programs_p => t).
// It is never a keyword statement, while USE m, a => b keeps its meaning.
bool is_pointer_assignment(const char* stmt) {
    const char* arrow = std::strstr(stmt, "=>");
    if (arrow == nullptr) return false;
    const char* comma = std::strchr(stmt, ',');
    return comma == nullptr || arrow < comma;
}

// #include "name", which the reader hands over only outside a continued statement, is an
// include as INCLUDE 'name' is. Any other text beginning with '#' (no closing quote, or a
// '#' in columns 2 to 6 of a fixed-form line) is no statement of interest: no preprocessor
// line is evaluated, and none is a fault.
int preprocessor_include(const char* stmt, const char* bun, char* name) {
    static constexpr char directive[] = "#include\"";
    constexpr int directive_len = sizeof directive - 1;
    if (std::strncmp(stmt, directive, directive_len) != 0) return bunclass_other;
    if (std::strchr(stmt + directive_len, '"') == nullptr) return bunclass_other;
    return quoted_name(stmt + directive_len, '"', bun, name);
}

// Whether a statement whose first character is c may begin with one of the keywords.
bool may_be_keyword(char c) {
    switch (ascii_upper(c)) {
    case '#':
    case 'I':
    case 'M':
    case 'P':
    case 'S':
    case 'U':
        return true;
    default:
        return false;
    }
}

} // namespace

int build_ana_fort(const char* bun, char* name, int name_max) {
    name[0] = '\0';
    // Most statements begin with no keyword at all: they need no closer look.
    int first = 0;
    while (first < fort_window && is_blank(bun[first]))
        ++first;
    if (first == fort_window || !may_be_keyword(bun[first])) return bunclass_other;

    char stmt[fort_window + 1];
    int len = 0;
    for (int i = 0; i < fort_window && bun[i] != '\0'; ++i)
        if (!is_blank(bun[i])) stmt[len++] = bun[i];
    stmt[len] = '\0';

    if (stmt[0] == '#') return preprocessor_include(stmt, bun, name);
    const char* eq = std::strchr(stmt, '=');
    if (eq != nullptr && eq[1] != '>' && !is_use_only(stmt, static_cast<int>(eq - stmt)))
        return bunclass_other;
    if (is_pointer_assignment(stmt)) return bunclass_other;

    const statement s{bun, stmt, name_max};
    if (starts_nocase(stmt, "MODULE")) {
        if (is_module_procedure(bun)) return bunclass_other;
        return take_unit_name(s, stmt + module_len, len - module_len, bunclass_module,
                              "module name not found", "too long module name", name);
    }
    if (starts_nocase(stmt, "USE")) return used_module(s, name);
    if (starts_nocase(stmt, "INCLUDE")) return included_file(stmt, bun, name);
    if (starts_nocase(stmt, "PROGRAM"))
        return take_unit_name(s, stmt + program_len, len - program_len, bunclass_program,
                              "program name not found", "too long program name", name);
    if (starts_nocase(stmt, "SUBMODULE(")) return submodule_ancestor(s, name);
    return bunclass_other;
}
