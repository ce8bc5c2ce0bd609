// Opening the file of one level: the source row, the path, the check that the path is a
// regular file, the open, each fault with its report.
#include "scan_run.hpp"

#include "ascii.hpp"
#include "codes.hpp"
#include "diag.hpp"
#include "dirlib.hpp"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

// The analysers' fixed report texts keep within this size; paths are cut to fit it.
constexpr int report_size = path_size;

// Writes text + path + tail into out, shortening the path so the whole stays below
// report_size characters and the tail is always kept.
void cut_report(char* out, const char* text, const char* path, const char* tail) {
    const std::size_t room = report_size - 1 - std::strlen(text) - std::strlen(tail);
    std::snprintf(out, report_size, "%s%.*s%s", text, static_cast<int>(room), path, tail);
}

// The language from the letter after the first dot.
int source_language(const char* name) {
    const char* dot = std::strchr(name, '.');
    if (!dot) return lang_none;
    switch (dot[1]) {
    case 'f':
    case 'F':
        return lang_fortran;
    case 'c':
    case 'C':
        return lang_c;
    default:
        return lang_none;
    }
}

// A Fortran source's form: free when the text after the first dot is f90, f95, f03 or f08
// (letter case ignored), fixed for every other name.
int source_form(const char* name) {
    const char* dot = std::strchr(name, '.');
    if (!dot) return form_fixed;
    const std::string_view ext(dot + 1);
    for (const char* free_ext : {"f90", "f95", "f03", "f08"})
        if (same_name_ignoring_case(ext, free_ext)) return form_free;
    return form_fixed;
}

// Fills the source row of a new source and decides its language and form. False after the
// report of a full source table or an unknown language.
bool start_source_row(chain& c, const char* name, project& p) {
    if (p.src >= mxsrc) {
        std::printf("#ERROR#  build_file  source table overflow >=%d\n", mxsrc);
        print_diag(1, "source table overflow", "build_file");
        return false;
    }
    srctab_row* s = c.source;
    *s = srctab_row{};
    s->no = p.src;
    s->srcdir_no = c.srcdir_no;
    s->incdir_no = c.incdir_no;
    s->inctype = c.inctype;
    std::snprintf(s->name, sizeof s->name, "%s", name);
    c.lang = s->lang = source_language(name);
    c.form = source_form(name);
    if (c.lang == lang_none) {
        std::printf("#ERROR#  invalid source type [%s] \n", name);
        print_diag(1, "invalid source type", "buuild_file");
        return false;
    }
    return true;
}

// Joins the level's path; false after the report of one that does not fit.
bool join_path(scan_level& l, int nest, const chain& c, const char* name) {
    if (mprc_filename(l.filename, nest == 0 ? c.srcdir : c.incdir, name, '\\') == 0) return true;
    const char* kind = nest == 0 ? "source" : "include";
    std::printf(" #ERROR#  build_file  %s filename error filename=[%s]\n", kind, l.filename);
    print_diag(1, nest == 0 ? "source filename error" : "include filename error", "mprc_coun_file");
    return false;
}

// Opens path when it is a regular file, with its entry type. The directory library reads a
// name field without its trailing blanks, but the open takes the path as it is: such a path
// keeps the status query of the one and the open of the other, as they always were.
std::FILE* open_regular_file(const char* path, int& itype) {
    const std::size_t len = std::strlen(path);
    if (len > 0 && path[len - 1] != ' ') return fopen_regular(path, itype);
    int ierror = 0;
    isadir(ierror, static_cast<int>(len), path, itype);
    if (ierror != 0) itype = -1;
    return itype == 0 ? fopen_native(path, "r") : nullptr;
}

} // namespace

void next_generation(scan_run& run, project& p) {
    if (run.generation == 0 || run.generation == INT_MAX) {
        for (int i = 0; i < p.inc; ++i)
            p.inctab[i].flg_ref = 0;
        run.generation = 0;
    }
    ++run.generation;
}

void close_level(scan_level& l) {
    if (l.fp) std::fclose(l.fp);
    l.fp = nullptr;
}

bool open_level(scan_level& l, int nest, chain& c, const char* name, project& p) {
    bool ok = nest != 0 || start_source_row(c, name, p);
    // The join runs even after a failure above, and reports its own fault as well.
    if (!join_path(l, nest, c, name) || !ok) return false;

    int itype = 0;
    l.fp = open_regular_file(l.filename, itype);
    if (l.fp != nullptr) return true;
    char report[report_size];
    if (itype < 0) {
        cut_report(report, "not exist source file [", l.filename, "]");
        std::printf("#ERROR#  build_file  %s\n", report);
        print_diag(1, report, "build_file");
    } else if (itype != 0) {
        cut_report(report, "invalid filetype ", l.filename, "");
        std::printf(" #ERROR#  build_file  %s\n", report);
        print_diag(1, report, "build_file");
    } else {
        std::printf(" #ERROR#  build_file  source file open error [%s]\n", l.filename);
        print_diag(1, "source file open error", "mprc_coun_file");
    }
    return false;
}
