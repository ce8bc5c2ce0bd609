// The CLEAN rule, the OBJS macro and the link rule.
#include "codes.hpp"
#include "diag.hpp"
#include "edit_names.hpp"
#include "writer.hpp"
#include "writer_parts.hpp"

#include <cstring>

namespace {

constexpr char erase_prefix[] = "\t-@$(ERASEOBJ) ";
constexpr int erase_prefix_len = sizeof erase_prefix - 1;
// Room the erase and list lines keep free after their object name, as the makefile always
// had: an edited name of 115 chars does not fit the erase line, one of 127 not the list.
constexpr int erase_spare = 2;
constexpr int list_spare = 2 + continued_len;

// The edited object name of a source into edited, or -1 once the failure is reported.
int edit_row_obj(const writer_storage& w, char* edited, const srctab_row& row) {
    int len =
        edit_obj(edited, w.b.edit, w.b.src_name, row.name, static_cast<int>(std::strlen(row.name)));
    if (len >= 0) return len;
    output_edit_obj(w, edited, w.b.edit, row.name); // reports
    return -1;
}

// Reports an object name that does not fit its line, with the given summary.
int report_long_obj(const char* edited, const char* summary) {
    report(severity::error, summary, "output_objs",
           "#ERROR#  output_objs  buf size over flow name=[%s]\n", edited);
    return -1;
}

// Writes one erase line per source into the CLEAN rule. Returns the line count or -1.
int output_erase_lines(const writer_storage& w, const srctab_row* srctab, int src) {
    char line[erase_prefix_len + edited_size]; // the name is checked against the line after
    std::memcpy(line, erase_prefix, erase_prefix_len);
    char* edited = line + erase_prefix_len;
    for (int i = 0; i < src; ++i) {
        int len = edit_row_obj(w, edited, srctab[i]);
        if (len < 0) return -1;
        if (len + erase_spare > w.b.line_max - erase_prefix_len)
            return report_long_obj(edited, "buf size over flow");
        output_text_line(w, line, erase_prefix_len + len);
    }
    return src;
}

// Writes the OBJS list, one object a line, every line but the last continued.
int output_obj_list(const writer_storage& w, const srctab_row* srctab, int src) {
    char line[1 + edited_size + continued_len];
    line[0] = '\t';
    char* edited = line + 1;
    output_text_line(w, "OBJS= \\", sizeof "OBJS= \\" - 1);
    for (int i = 0; i < src; ++i) {
        int len = edit_row_obj(w, edited, srctab[i]);
        if (len < 0) return -1;
        if (len + list_spare > w.b.line_max - 1) return report_long_obj(edited, "");
        int line_len = 1 + len;
        if (i + 1 < src) {
            std::memcpy(line + line_len, continued, continued_len);
            line_len += continued_len;
        }
        line[line_len] = '\0';
        output_text_line(w, line, line_len);
    }
    return src + 1;
}

} // namespace

int output_objs(int flavour, const writer_storage& w, const srctab_row* srctab, int src) {
    int count = output_newline();
    count += output_text_line(w, "CLEAN :", sizeof "CLEAN :" - 1);

    int erased = output_erase_lines(w, srctab, src);
    if (erased >= 0) {
        count += erased;
        const char* exe_line =
            flavour == flavour_cl ? "\t-@$(ERASEOBJ) \"$(EXE)\"" : "\t-@$(ERASEOBJ) $(EXE)";
        count += output_text_line(w, exe_line, static_cast<int>(std::strlen(exe_line)));
    }
    // The CLEAN rule is closed by its empty line even when it stopped half way.
    count += output_newline();
    if (erased < 0) return -1;

    int listed = output_obj_list(w, srctab, src);
    if (listed < 0) return -1;
    return count + listed;
}

int output_link(int flavour, const writer_storage& w) {
    const bool cl = flavour == flavour_cl;
    int count = output_newline();
    count += output_line(w, cl ? "\"$(EXE)\" : $(OBJS)" : "$(EXE) : $(OBJS)");
    count += output_line(w, cl ? "\t$(LD) -o \"$(EXE)\" $(LDFLAGS) $(OBJS)"
                               : "\t$(LD) -o $(EXE) $(LDFLAGS) $(OBJS)");
    return count;
}
