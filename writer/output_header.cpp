// The macro section at the top of the makefile.
#include "codes.hpp"
#include "writer.hpp"
#include "writer_parts.hpp"

#include <cstddef>
#include <cstring>

namespace {

constexpr char exe_suffix[] = ".exe";
constexpr int exe_suffix_len = sizeof exe_suffix - 1;
// Any stored source name up to its first dot, with ".exe" and a zero.
constexpr int exe_name_size = src_name_size + exe_suffix_len;
// "INCDIR" or "SRCDIR", any int and "=" with its zero.
constexpr int dir_prefix_size = sizeof "SRCDIR-2147483648=";

// Fills exe with the executable's name: the first main program's file name up to its first
// dot, with ".exe"; "main.exe" when no source holds a main program.
void form_exe_name(char* exe, const srctab_row* srctab, int src) {
    const char* name = "main";
    std::size_t stem = std::strlen(name);
    for (int i = 0; i < src; ++i) {
        if (srctab[i].flg_prog == 0) continue;
        name = srctab[i].name;
        const char* dot = std::strchr(name, '.');
        stem = dot != nullptr ? static_cast<std::size_t>(dot - name) : std::strlen(name);
        break;
    }
    std::memcpy(exe, name, stem);
    std::memcpy(exe + stem, exe_suffix, exe_suffix_len + 1);
}

// Writes one MACRO=dir line per used row of a directory table (MACRO, MACRO1, MACRO2, ...),
// or MACRO=. when none is used. Returns the line count, or -1 when a line was too long.
int output_dir_macros(const writer_storage& w, const char* macro, int last, int width,
                      const char* table) {
    const std::size_t macro_len = std::strlen(macro);
    char prefix[dir_prefix_size];
    std::memcpy(prefix, macro, macro_len);
    if (last < 0) {
        std::memcpy(prefix + macro_len, "=", 2);
        return output_line_parts(w, prefix, ".");
    }
    int count = 0;
    bool failed = false;
    for (int i = 0; i <= last; ++i) {
        std::size_t len = macro_len;
        if (i != 0) len += static_cast<std::size_t>(put_decimal(prefix + len, i));
        std::memcpy(prefix + len, "=", 2);
        const char* row = table + static_cast<std::size_t>(width) * static_cast<std::size_t>(i);
        if (output_line_parts(w, prefix, row) < 0) failed = true;
        ++count;
    }
    return failed ? -1 : count;
}

} // namespace

int output_header(int flavour, const writer_storage& w, int incdir_last, int incdir_width,
                  const char* incdir, int srcdir_last, int srcdir_width, const char* srcdir,
                  const srctab_row* srctab, int src) {
    const bool cl = flavour == flavour_cl;
    char exe[exe_name_size];
    form_exe_name(exe, srctab, src);

    int count = 0;
    bool failed = false;
    // A long line does not stop the header: the rest is still written, the result is -1.
    auto track = [&](int lines) {
        if (lines < 0)
            failed = true;
        else
            count += lines;
    };
    track(output_line(w, cl ? "CC=cl.exe" : "CC=gcc"));
    track(output_line(w, "CFLAGS="));
    track(output_line(w, cl ? "FC=df.exe" : "FC=g77"));
    track(output_line(w, "FFLAGS="));
    track(output_line(w, cl ? "LD=cl.exe" : "LD=g77"));
    track(output_line(w, "LDFLAGS="));
    track(output_newline());
    track(output_line(w, "ERASEOBJ=erase"));
    track(output_newline());
    track(output_line_parts(w, "EXE=", exe));
    track(output_line(w, "OBJDIR=."));
    track(output_dir_macros(w, "INCDIR", incdir_last, incdir_width, incdir));
    track(output_dir_macros(w, "SRCDIR", srcdir_last, srcdir_width, srcdir));
    track(output_newline());
    track(output_line(w, cl ? "ALL : \"$(EXE)\"" : "ALL : $(EXE)"));
    return failed ? -1 : count;
}
