// The compile rules: for every source a dependency rule and its compile command.
#include "codes.hpp"
#include "diag.hpp"
#include "edit_names.hpp"
#include "seen_names.hpp"
#include "writer.hpp"
#include "writer_parts.hpp"

#include <cstring>

namespace {

// A piece goes on the line only while the line, a blank, the piece and a closing " \"
// stay under the bound of a prerequisite.
constexpr int prereq_room = 1 + continued_len;
// The target and the source must fit a makefile line with this much to spare: " : " and
// room for what follows them.
constexpr int dep_head_extra = 7;
// The tab and the four blanks between the five parts of every compile line.
constexpr int compile_marks = 5;
constexpr char module_option[] = "/module:\"$(OBJDIR)\\\"";
constexpr int module_option_len = sizeof module_option - 1;
// "/I" or "-I", the directory macro and the closing quote of the first.
constexpr int inc_option_size = sizeof "/I\"\"" - 1 + dir_macro_size;
// A compile line: its fixed parts, two edited names, the include option and a zero. It is
// formed only once it is known to fit the makefile's bound.
constexpr int compile_line_size = 64 + module_option_len + 2 * edited_size + inc_option_size;

char* put(char* at, const char* text, int len) {
    std::memcpy(at, text, static_cast<std::size_t>(len));
    return at + len;
}

// A dependency rule being filled piece by piece, in the writer's room for a line; full lines
// are written as they close.
struct dep_line {
    const writer_storage& w;
    char* text;
    int len;
};

// Appends one prerequisite of len chars (zero-terminated); one that would carry the line
// past its bound (a continuation " \" included) closes the line and opens the next with a
// tab. Returns the lines written, 0 or 1.
int add_prereq(dep_line& dep, const char* piece, int len) {
    int lines = 0;
    if (len + prereq_room > dep.w.b.prereq - dep.len) {
        put(dep.text + dep.len, continued, continued_len + 1);
        lines = output_text_line(dep.w, dep.text, dep.len + continued_len);
        dep.text[0] = '\t';
        dep.len = 1;
    } else {
        dep.text[dep.len++] = ' ';
    }
    put(dep.text + dep.len, piece, len + 1);
    dep.len += len;
    return lines;
}

// Adds the source's include files to its dependency rule. Returns the lines written, or -1
// once a name that does not fit is reported.
int add_includes(dep_line& dep, const srctab_row& row) {
    char edited[edited_size];
    int count = 0;
    for (int k = 0; k < row.rinc_cnt; ++k) {
        const inctab_row* entry = row.rinc1[k].include;
        int len = edit_inc(edited, dep.w.b.prereq, *entry);
        if (len < 0) {
            output_edit_inc(edited, dep.w.b.prereq, entry); // reports
            return -1;
        }
        count += add_prereq(dep, edited, len);
    }
    return count;
}

// Adds the objects of the sources that define the modules the source uses, each defining
// source once. Returns the lines written, or -1 once a name that does not fit is reported.
int add_module_objects(dep_line& dep, const srctab_row& row, row_index& seen) {
    char edited[edited_size];
    int count = 0;
    int k = 0;
    // A list of a few modules, the common case, looks at a few buckets only.
    index_narrow(seen, dep.w.seen_mask, 2 * row.rmod_cnt);
    for (; k < row.rmod_cnt && count >= 0; ++k) {
        // A compiler-provided module has no defining source and needs no prerequisite.
        const srctab_row* def = row.rmod1[k].module->source;
        if (def == nullptr || seen_before(seen, row.rmod1, k, *def)) continue;
        int len = edit_obj(edited, dep.w.b.prereq, dep.w.b.src_name, def->name,
                           static_cast<int>(std::strlen(def->name)));
        if (len < 0) {
            output_edit_obj(dep.w, edited, dep.w.b.prereq, def->name); // reports
            count = -1;
        } else {
            count += add_prereq(dep, edited, len);
        }
    }
    seen_clear(seen, row.rmod1, k); // empty again for the next rule, whatever happened
    return count;
}

// Writes the dependency rule of one source: target, source, includes, module objects.
// Returns the lines written, or -1.
int output_dependency(writer_storage& w, const srctab_row& row, const char* obj, int obj_len,
                      const char* src, int src_len) {
    dep_line dep{w, w.dep_line.get(), 0};
    char* at = put(dep.text, obj, obj_len);
    at = put(at, " : ", sizeof " : " - 1);
    at = put(at, src, src_len + 1);
    dep.len = obj_len + static_cast<int>(sizeof " : " - 1) + src_len;
    int includes = add_includes(dep, row);
    if (includes < 0) return -1;
    int modules = add_module_objects(dep, row, w.seen);
    if (modules < 0) return -1;
    return includes + modules + output_text_line(w, dep.text, dep.len);
}

// Forms the include option of the compile line into option. Returns its length; 0 when
// the source reads its includes from its own directory.
int form_inc_option(char* option, bool cl, const srctab_row& row) {
    if (row.inctype == -1) return 0;
    char* at = put(option, cl ? "/I\"" : "-I", cl ? 3 : 2);
    at += put_dir_macro(at, "INCDIR", row.incdir_no);
    if (cl) *at++ = '"';
    return static_cast<int>(at - option);
}

// Writes the compile command of one source. Returns 1, or -1 when it would be too long.
int output_compile(int flavour, const writer_storage& w, const srctab_row& row, const char* obj,
                   int obj_len, const char* src, int src_len) {
    const bool cl = flavour == flavour_cl;
    const bool fortran = row.lang == lang_fortran;
    const bool with_module = cl && fortran;
    constexpr int compiler_len = sizeof "$(FC)" - 1;
    constexpr int flags_len = sizeof "$(FFLAGS)" - 1;
    constexpr int obj_option_len = sizeof "/c /Fo" - 1; // "-c -o " as long

    char inc_option[inc_option_size];
    int inc_len = form_inc_option(inc_option, cl, row);
    int len = compile_marks + compiler_len + obj_option_len + obj_len + inc_len + flags_len +
              src_len + (with_module ? module_option_len + 1 : 0);
    if (len > w.b.line_max) {
        report(severity::error, "buf size over flow", "output_srcs",
               "#ERROR#  output_srcs  buf size over flow src=[%s]\n", src);
        return -1;
    }

    char line[compile_line_size];
    char* at = put(line, "\t", 1);
    at = put(at, fortran ? "$(FC) " : "$(CC) ", compiler_len + 1);
    at = put(at, cl ? "/c /Fo" : "-c -o ", obj_option_len);
    at = put(at, obj, obj_len);
    *at++ = ' ';
    if (with_module) {
        at = put(at, module_option, module_option_len);
        *at++ = ' ';
    }
    at = put(at, inc_option, inc_len);
    *at++ = ' ';
    at = put(at, fortran ? "$(FFLAGS) " : "$(CFLAGS) ", flags_len + 1);
    put(at, src, src_len + 1);
    return output_text_line(w, line, len);
}

// Forms the edited object and source names of a row into obj and src; both are formed and
// both reported before a failure of either ends the rule. Returns 0, or -1.
int edit_row_names(const writer_storage& w, const srctab_row& row, char* obj, int& obj_len,
                   char* src, int& src_len) {
    int name_len = static_cast<int>(std::strlen(row.name));
    obj_len = edit_obj(obj, w.b.edit, w.b.src_name, row.name, name_len);
    src_len = edit_src(src, w.b.edit, row, name_len);
    if (obj_len >= 0 && src_len >= 0) return 0;
    output_edit_obj(w, obj, w.b.edit, row.name);
    output_edit_src(src, w.b.edit, &row);
    return -1;
}

// Writes the dependency rule and compile command of one source. Returns the lines written,
// or -1.
int output_rule(int flavour, writer_storage& w, const srctab_row& row) {
    char obj[edited_size];
    char src[edited_size];
    int obj_len = 0;
    int src_len = 0;
    if (edit_row_names(w, row, obj, obj_len, src, src_len) < 0) return -1;
    if (obj_len + src_len > w.b.line_max - dep_head_extra) {
        report(severity::error, "buf size over flow", "output_srcs",
               "#ERROR#  output_srcs  buf size over flow obj=[%s], src=[%s]\n", obj, src);
        return -1;
    }
    int lines = output_dependency(w, row, obj, obj_len, src, src_len);
    if (lines < 0) return -1;
    if (output_compile(flavour, w, row, obj, obj_len, src, src_len) < 0) return -1;
    return lines + 1;
}

} // namespace

int output_srcs(int flavour, writer_storage& w, const srctab_row* srctab, int src) {
    int count = 0;
    for (int i = 0; i < src; ++i) {
        count += output_newline();
        int lines = output_rule(flavour, w, srctab[i]);
        if (lines < 0) return -1;
        count += lines;
    }
    count += output_newline();
    return count;
}
