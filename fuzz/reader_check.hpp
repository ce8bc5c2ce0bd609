// Reads one file's bytes statement by statement, as the scan does, and checks every result
// of the reader and the analyser against the limits the callers rely on.
#pragma once

#include "codes.hpp"
#include "fuzz_check.hpp"
#include "lang.hpp"
#include "limits.hpp"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

// Whether a line's text is '&' alone (a comment may follow).
inline bool lone_amp(const std::string& line) {
    std::size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '&') return false;
    at = line.find_first_not_of(" \t", at + 1);
    return at == std::string::npos || line[at] == '!';
}

// Whether a statement text is #include "name": blanks and tabs after the '#' and before the
// first quote, and a closing quote.
inline bool is_quoted_include(const char* s) {
    s += std::strspn(s + 1, " \t") + 1;
    if (std::strncmp(s, "include", 7) != 0) return false;
    s += 7;
    s += std::strspn(s, " \t");
    return *s == '"' && std::strchr(s + 1, '"') != nullptr;
}

// lang 1: Fortran in the given form, with the line count checked at the end of the file;
// 2: C. Returns every call's result and statement, so that two readings can be compared.
inline std::vector<std::string> read_and_check(int lang, int form, const std::uint8_t* data,
                                               std::size_t size) {
    std::vector<std::string> seen;
    // Exactly the callers' sizes on the heap, so that the sanitizer sees any byte beyond them.
    std::unique_ptr<char[]> bun(new char[bun_size]);
    std::unique_ptr<char[]> cdstack(new char[cdstack_size]);
    std::unique_ptr<char[]> name(new char[name_size]);
    cdstack[0] = '\0';
    int flg_cdstack = 0;

    std::FILE* fp = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    fuzz_require(fp != nullptr, "fmemopen");
    std::vector<char> block(text_block_min); // exactly the smallest, so the sanitizer sees past it
    text_input in;
    text_open(in, fp, block.data(), block.size());
    int lines = 0;
    int rtn = 0;
    std::string pending; // the line the last call handed back: the next statement's first
    // Every call consumes a line or a piece of one: more calls than bytes and lines is a hang.
    const std::size_t max_calls = 2 * size + 4;
    std::size_t calls = 0;
    for (int flg_first = 1;; flg_first = 0) {
        fuzz_require(++calls <= max_calls, "reader does not come to the end of the file");
        rtn = mprc_readbun(in, bun.get(), lang, form, flg_first, cdstack.get(), &flg_cdstack);
        fuzz_require(rtn >= -1, "reader result below -1");
        fuzz_require(std::memchr(bun.get(), '\0', bun_size) != nullptr, "bun not terminated");
        fuzz_require(std::strlen(bun.get()) < static_cast<std::size_t>(bun_size), "bun too long");
        fuzz_require(std::memchr(cdstack.get(), '\0', cdstack_size) != nullptr,
                     "cdstack not terminated");
        fuzz_require(flg_cdstack == 0 || flg_cdstack == 1, "flg_cdstack neither 0 nor 1");
        if (lang == 1)
            fuzz_require(std::strlen(cdstack.get()) <= static_cast<std::size_t>(fort_line_max),
                         "Fortran pending line longer than a card");
        seen.push_back(std::to_string(rtn) + ':' + bun.get());
        if (rtn <= 0) break;
        lines += rtn;
        // Free form: a statement begins at a line's first character that is neither blank nor
        // tab, and a preprocessor line makes no statement but #include "name". Only a lone '&'
        // as the statement's first line (the file's first line, or a line handed back) lets the
        // next line's text after its leading '&' begin it as it stands.
        if (lang == 1 && form == form_free && bun[0] != '\0' && flg_first == 0 &&
            !lone_amp(pending))
            fuzz_require(bun[0] != ' ' && bun[0] != '\t' &&
                             (bun[0] != '#' || is_quoted_include(bun.get())),
                         "free-form statement begins with a blank, a tab or a '#' line");
        pending = cdstack.get();

        int bunclass = mprc_anabun(lang, bun.get(), name.get(), unit_name_max);
        fuzz_require(std::memchr(name.get(), '\0', name_size) != nullptr, "name not terminated");
        std::size_t len = std::strlen(name.get());
        switch (bunclass) {
        case 1:
        case 2:
        case 5:
            fuzz_require(lang == 1, "C analyser gave a Fortran class");
            fuzz_require(len > 0 && len <= static_cast<std::size_t>(unit_name_max),
                         "unit name length out of range");
            break;
        case 3:
            fuzz_require(len > 0 && len <= static_cast<std::size_t>(include_name_max),
                         "include name length out of range");
            break;
        case 10:
        case -1:
            fuzz_require(len == 0, "name given with a class that has none");
            break;
        default:
            fuzz_require(false, "unknown statement class");
        }
        // The scan would stop at a faulty statement; reading on tries the reader further.
    }
    std::fclose(fp);
    if (lang == 1 && rtn == 0)
        fuzz_require(lines == physical_lines(data, size),
                     "Fortran line counts do not add up to the file's lines");
    return seen;
}

// Whether both forms must read data alike: every line is empty or holds text from column 7
// to at most column 72 that neither form treats specially (no '&', '!', '#', tab, CR or NUL).
inline bool same_in_both_forms(const std::uint8_t* data, std::size_t size) {
    std::size_t col = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t c = data[i];
        if (c == '\n') {
            if (col > 0 && col < 7) return false;
            col = 0;
            continue;
        }
        ++col;
        if (col > 72 || c == '&' || c == '!' || c == '#' || c == '\t' || c == '\r' || c == 0)
            return false;
        if (col < 7 && c != ' ') return false;
    }
    return col == 0 || col >= 7;
}
