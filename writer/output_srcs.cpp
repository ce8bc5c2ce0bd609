// The compile rules: for every source a dependency rule and its compile command.
#include "diag.hpp"
#include "line_parts.hpp"
#include "writer.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace {

// A dependency rule being filled piece by piece; full lines are written as they close.
struct dep_line {
    char text[line_buf_size];
    int len;
};

// Forms the macro reference of directory row no: "$(NAME)" for row 0, "$(NAMEno)" after.
void form_dir_macro(char* macro, std::size_t size, const char* name, int no) {
    if (no == 0)
        std::snprintf(macro, size, "$(%s)", name);
    else
        std::snprintf(macro, size, "$(%s%d)", name, no);
}

// Appends one prerequisite; one that would carry the line past its bound (a continuation
// " \" included) closes the line and opens the next with a tab. Returns the lines written
// (0 or 1), or -1.
int add_prereq(std::FILE* fp, dep_line& dep, const char* piece) {
    int len = static_cast<int>(std::strlen(piece));
    if (dep.len + len + 3 > edit_prereq_limit) {
        std::strcat(dep.text, " \\");
        if (output_line(fp, dep.text) < 0) return -1;
        dep.len = std::snprintf(dep.text, sizeof dep.text, "\t%s", piece);
        return 1;
    }
    dep.len += std::snprintf(dep.text + dep.len, sizeof dep.text - dep.len, " %s", piece);
    return 0;
}

// True when an rmodule entry before index k of the source's list has a defining source of
// the same name: that object is listed already, or was skipped for the same reason.
bool module_source_seen(const rmodtab_row* rmod1, int k, const srctab_row* def) {
    for (int j = 0; j < k; ++j) {
        const srctab_row* other = rmod1[j].module->source;
        if (other != nullptr && std::strcmp(other->name, def->name) == 0) return true;
    }
    return false;
}

// The names of the defining sources met so far in one source's module list, as a hash set,
// for the long lists where looking back over every earlier entry would cost the square of
// the list. Short lists look back; both give the same answer. The slots are kept from row to
// row and cleared only where a long list used them.
struct seen_names {
    static constexpr int look_back_max = 16;
    std::vector<const char*> slots;
    std::size_t mask = 0;
    bool active = false;

    // Prepares for a list of count entries.
    void start(int count) {
        active = false;
        if (count <= look_back_max) return;
        std::size_t size = 64;
        while (size < 2 * static_cast<std::size_t>(count))
            size <<= 1;
        try {
            if (slots.size() < size) slots.resize(size);
        } catch (const std::bad_alloc&) {
            return; // looking back gives the same answer, only slower
        }
        std::fill(slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(size), nullptr);
        mask = size - 1;
        active = true;
    }

    // Whether an earlier entry had a defining source of this name; the name counts as met.
    bool seen(const rmodtab_row* rmod1, int k, const srctab_row* def) {
        if (!active) return module_source_seen(rmod1, k, def);
        std::uint32_t h = 2166136261u;
        for (const char* c = def->name; *c != '\0'; ++c)
            h = (h ^ static_cast<unsigned char>(*c)) * 16777619u;
        for (std::size_t at = h & mask;; at = (at + 1) & mask) {
            if (slots[at] == nullptr) {
                slots[at] = def->name;
                return false;
            }
            if (std::strcmp(slots[at], def->name) == 0) return true;
        }
    }
};

// Writes the dependency rule of one source: target, source, includes, module objects.
// Returns the lines written, or -1.
int output_dependency(std::FILE* fp, const srctab_row& row, const char* obj, const char* src,
                      seen_names& seen) {
    dep_line dep;
    dep.len = std::snprintf(dep.text, sizeof dep.text, "%s : %s", obj, src);
    int count = 0;
    char edited[edit_limit];
    for (int k = 0; k < row.rinc_cnt; ++k) {
        if (output_edit_inc(edited, edit_prereq_limit, row.rinc1[k].include) < 0) return -1;
        int lines = add_prereq(fp, dep, edited);
        if (lines < 0) return -1;
        count += lines;
    }
    seen.start(row.rmod_cnt);
    for (int k = 0; k < row.rmod_cnt; ++k) {
        // A compiler-provided module has no defining source and needs no prerequisite.
        const srctab_row* def = row.rmod1[k].module->source;
        if (def == nullptr) continue;
        if (seen.seen(row.rmod1, k, def)) continue;
        if (output_edit_obj(edited, edit_prereq_limit, def->name) < 0) return -1;
        int lines = add_prereq(fp, dep, edited);
        if (lines < 0) return -1;
        count += lines;
    }
    if (output_line(fp, dep.text) < 0) return -1;
    return count + 1;
}

// Writes the compile command of one source. Returns 1, or -1 when it would be too long.
int output_compile(int flavour, std::FILE* fp, const srctab_row& row, const char* obj,
                   const char* src) {
    const bool cl = flavour == 1;
    const bool fortran = row.lang == 1;
    const char* compiler = fortran ? "$(FC)" : "$(CC)";
    const char* flags = fortran ? "$(FFLAGS)" : "$(CFLAGS)";
    const char* obj_option = cl ? "/c /Fo" : "-c -o ";
    const char* module_option = "/module:\"$(OBJDIR)\\\"";

    char macro[32];
    char inc_option[48] = "";
    if (row.inctype != -1) {
        form_dir_macro(macro, sizeof macro, "INCDIR", row.incdir_no);
        std::snprintf(inc_option, sizeof inc_option, cl ? "/I\"%s\"" : "-I%s", macro);
    }

    const bool with_module = cl && fortran;
    std::size_t len = 5 + std::strlen(compiler) + std::strlen(obj_option) + std::strlen(obj) +
                      std::strlen(inc_option) + std::strlen(flags) + std::strlen(src);
    if (with_module) len += std::strlen(module_option) + 1;
    if (len > static_cast<std::size_t>(makefile_line_max)) {
        std::printf("#ERROR#  output_srcs  buf size over flow src=[%s]\n", src);
        print_diag(1, "buf size over flow", "output_srcs");
        return -1;
    }

    char line[line_buf_size];
    int written = with_module
                      ? std::snprintf(line, sizeof line, "\t%s %s%s %s %s %s %s", compiler,
                                      obj_option, obj, module_option, inc_option, flags, src)
                      : std::snprintf(line, sizeof line, "\t%s %s%s %s %s %s", compiler, obj_option,
                                      obj, inc_option, flags, src);
    // The length was checked above; the formatted line is exactly that long.
    if (written != static_cast<int>(len)) return -1;
    return output_line(fp, line);
}

} // namespace

int output_edit_src(char* result, int limit, const srctab_row* row) {
    if (limit > 0) result[0] = '\0';
    char macro[32];
    form_dir_macro(macro, sizeof macro, "SRCDIR", row->srcdir_no);
    std::size_t needed = std::strlen(row->name) + std::strlen(macro) + 3;
    if (needed >= static_cast<std::size_t>(limit)) {
        std::printf("#ERROR#  too long source file name =[%s]\n", row->name);
        print_diag(1, "too long source file name", "output_edit_src");
        return -1;
    }
    std::snprintf(result, limit, "\"%s%c%s\"", macro, '\\', row->name);
    return 0;
}

int output_edit_inc(char* result, int limit, const inctab_row* entry) {
    if (limit > 0) result[0] = '\0';
    char macro[32];
    form_dir_macro(macro, sizeof macro, "INCDIR", entry->incdir_no);
    std::size_t needed = std::strlen(entry->name) + std::strlen(macro) + 3;
    if (needed >= static_cast<std::size_t>(limit)) {
        std::printf("#ERROR#  too long include file name =[%s]\n", entry->name);
        print_diag(1, "too long source include name", "output_edit_inc");
        return -1;
    }
    std::snprintf(result, limit, "\"%s%c%s\"", macro, '\\', entry->name);
    return 0;
}

int output_srcs(int flavour, std::FILE* fp, const srctab_row* srctab, int src) {
    int count = 0;
    char obj[edit_limit];
    char edited_src[edit_limit];
    seen_names seen;
    for (int i = 0; i < src; ++i) {
        const srctab_row& row = srctab[i];
        count += output_newline(fp);
        // Both names are formed, so both faults are reported, before either ends the walk.
        int obj_status = output_edit_obj(obj, edit_limit, row.name);
        int src_status = output_edit_src(edited_src, edit_limit, &row);
        if (obj_status < 0 || src_status < 0) return -1;
        if (std::strlen(obj) + std::strlen(edited_src) + 7 >
            static_cast<std::size_t>(makefile_line_max)) {
            std::printf("#ERROR#  output_srcs  buf size over flow obj=[%s], src=[%s]\n", obj,
                        edited_src);
            print_diag(1, "buf size over flow", "output_srcs");
            return -1;
        }
        int lines = output_dependency(fp, row, obj, edited_src, seen);
        if (lines < 0) return -1;
        count += lines;
        if (output_compile(flavour, fp, row, obj, edited_src) < 0) return -1;
        ++count;
    }
    count += output_newline(fp);
    return count;
}
