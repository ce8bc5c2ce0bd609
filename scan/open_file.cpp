// Opening the file of one level: the source row, the path, the check that the path is a
// regular file, the open, each fault with its report.
#include "scan_run.hpp"

#include "codes.hpp"
#include "diag.hpp"
#include "dir_listing.hpp"
#include "lang.hpp"

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

// Fills the source row of a new source and decides its language and form. False after the
// report of a full source table or an unknown language.
bool start_source_row(chain& c, const char* name, project& p) {
    if (p.src >= p.cap.mxsrc) {
        report(severity::error, "source table overflow", "build_file",
               "#ERROR#  build_file  source table overflow >=%d\n", p.cap.mxsrc);
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
        report(severity::error, "invalid source type", "buuild_file",
               "#ERROR#  invalid source type [%s] \n", name);
        return false;
    }
    return true;
}

// Joins the level's path; false after the report of one that does not fit.
bool join_path(scan_level& l, int nest, const chain& c, const char* name) {
    if (mprc_filename(l.filename, nest == 0 ? c.srcdir : c.incdir, name, '\\') == 0) return true;
    const char* kind = nest == 0 ? "source" : "include";
    report(severity::error, nest == 0 ? "source filename error" : "include filename error",
           "mprc_coun_file", " #ERROR#  build_file  %s filename error filename=[%s]\n", kind,
           l.filename);
    return false;
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
    l.fp = fopen_regular(l.filename, itype);
    if (l.fp != nullptr) return true;
    char text[report_size];
    if (itype < 0) {
        cut_report(text, "not exist source file [", l.filename, "]");
        report(severity::error, text, "build_file", "#ERROR#  build_file  %s\n", text);
    } else if (itype != 0) {
        cut_report(text, "invalid filetype ", l.filename, "");
        report(severity::error, text, "build_file", " #ERROR#  build_file  %s\n", text);
    } else {
        report(severity::error, "source file open error", "mprc_coun_file",
               " #ERROR#  build_file  source file open error [%s]\n", l.filename);
    }
    return false;
}
