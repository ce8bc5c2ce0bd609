// Reads one file's bytes statement by statement, as the scan does, and checks every result
// of the reader and the analyser against the limits the callers rely on.
#pragma once

#include "fuzz_check.hpp"
#include "lang.hpp"
#include "limits.hpp"

#include <cstring>
#include <memory>

// lang 1: Fortran, with the line count checked at the end of the file; 2: C.
inline void read_and_check(int lang, const std::uint8_t* data, std::size_t size) {
    // Exactly the callers' sizes on the heap, so that the sanitizer sees any byte beyond them.
    std::unique_ptr<char[]> bun(new char[bun_size]);
    std::unique_ptr<char[]> cdstack(new char[cdstack_size]);
    std::unique_ptr<char[]> name(new char[name_size]);
    cdstack[0] = '\0';
    int flg_cdstack = 0;

    std::FILE* fp = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    fuzz_require(fp != nullptr, "fmemopen");
    int lines = 0;
    int rtn = 0;
    // Every call consumes a line or a piece of one: more calls than bytes and lines is a hang.
    const std::size_t max_calls = 2 * size + 4;
    std::size_t calls = 0;
    for (int flg_first = 1;; flg_first = 0) {
        fuzz_require(++calls <= max_calls, "reader does not come to the end of the file");
        rtn = mprc_readbun(fp, bun.get(), lang, flg_first, cdstack.get(), &flg_cdstack);
        fuzz_require(rtn >= -1, "reader result below -1");
        fuzz_require(std::memchr(bun.get(), '\0', bun_size) != nullptr, "bun not terminated");
        fuzz_require(std::strlen(bun.get()) < static_cast<std::size_t>(bun_size), "bun too long");
        fuzz_require(std::memchr(cdstack.get(), '\0', cdstack_size) != nullptr,
                     "cdstack not terminated");
        fuzz_require(flg_cdstack == 0 || flg_cdstack == 1, "flg_cdstack neither 0 nor 1");
        if (lang == 1)
            fuzz_require(std::strlen(cdstack.get()) <= static_cast<std::size_t>(fort_line_max),
                         "Fortran pending line longer than a card");
        if (rtn <= 0) break;
        lines += rtn;

        int bunclass = mprc_anabun(lang, bun.get(), name.get());
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
}
