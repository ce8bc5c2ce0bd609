// The CLEAN rule, the OBJS macro and the link rule, and the makefile's object file names.
#include "diag.hpp"
#include "line_parts.hpp"
#include "writer.hpp"

#include <cstdio>
#include <cstring>

namespace {

constexpr char objdir_macro[] = "$(OBJDIR)";
constexpr char erase_prefix[] = "\t-@$(ERASEOBJ) ";
constexpr int erase_prefix_len = sizeof erase_prefix - 1;

// Writes one erase line per source into the CLEAN rule. Returns the line count or -1.
int output_erase_lines(std::FILE* fp, const srctab_row* srctab, int src) {
    char edited[edit_limit];
    char line[line_buf_size];
    int count = 0;
    for (int i = 0; i < src; ++i) {
        if (output_edit_obj(edited, edit_limit, srctab[i].name) < 0) return -1;
        int len = static_cast<int>(std::strlen(edited));
        if (erase_prefix_len + len + 2 > makefile_line_max) {
            std::printf("#ERROR#  output_objs  buf size over flow name=[%s]\n", edited);
            print_diag(1, "buf size over flow", "output_objs");
            return -1;
        }
        std::strcpy(line, erase_prefix);
        std::strcat(line, edited);
        if (output_line(fp, line) < 0) return -1;
        ++count;
    }
    return count;
}

// Writes the OBJS list, one object a line, every line but the last continued.
int output_obj_list(std::FILE* fp, const srctab_row* srctab, int src) {
    char edited[edit_limit];
    char line[line_buf_size];
    int count = 0;
    if (output_line(fp, "OBJS= \\") < 0) return -1;
    ++count;
    for (int i = 0; i < src; ++i) {
        if (output_edit_obj(edited, edit_limit, srctab[i].name) < 0) return -1;
        int len = static_cast<int>(std::strlen(edited));
        if (1 + len + 4 > makefile_line_max) {
            std::printf("#ERROR#  output_objs  buf size over flow name=[%s]\n", edited);
            print_diag(1, "", "output_objs");
            return -1;
        }
        std::snprintf(line, sizeof line, "\t%s%s", edited, i + 1 < src ? " \\" : "");
        if (output_line(fp, line) < 0) return -1;
        ++count;
    }
    return count;
}

} // namespace

int output_edit_obj(char* result, int limit, const char* name) {
    if (limit > 0) result[0] = '\0';
    if (std::strlen(name) > static_cast<std::size_t>(src_name_edit_max)) {
        std::printf("#ERROR#  too long source file name =[%s]\n", name);
        print_diag(1, "too long source file name", "output_edit_obj");
        return -1;
    }
    // The object file keeps everything before the last dot: a.b.c gives a.b.obj.
    char obj[src_name_edit_max + 5];
    std::snprintf(obj, sizeof obj, "%s", name);
    if (char* dot = std::strrchr(obj, '.'); dot != nullptr) *dot = '\0';
    std::strcat(obj, ".obj");

    int needed = static_cast<int>(sizeof objdir_macro - 1 + std::strlen(obj) + 3);
    if (needed >= limit) {
        std::printf("#ERROR#  too long object file name =[%s]\n", obj);
        print_diag(1, "too long object file name", "output_edit_obj");
        return -1;
    }
    std::snprintf(result, limit, "\"%s%c%s\"", objdir_macro, '\\', obj);
    return 0;
}

int output_objs(int flavour, std::FILE* fp, const srctab_row* srctab, int src) {
    int count = 0;
    count += output_newline(fp);
    if (output_line(fp, "CLEAN :") < 0) return -1;
    ++count;

    int erased = output_erase_lines(fp, srctab, src);
    if (erased >= 0) {
        count += erased;
        if (output_line(fp,
                        flavour == 1 ? "\t-@$(ERASEOBJ) \"$(EXE)\"" : "\t-@$(ERASEOBJ) $(EXE)") < 0)
            erased = -1;
        else
            ++count;
    }
    // The CLEAN rule is closed by its empty line even when it stopped half way.
    count += output_newline(fp);
    if (erased < 0) return -1;

    int listed = output_obj_list(fp, srctab, src);
    if (listed < 0) return -1;
    return count + listed;
}

int output_link(int flavour, std::FILE* fp) {
    const bool cl = flavour == 1;
    int count = output_newline(fp);
    bool failed = false;
    if (output_line(fp, cl ? "\"$(EXE)\" : $(OBJS)" : "$(EXE) : $(OBJS)") < 0)
        failed = true;
    else
        ++count;
    if (output_line(fp, cl ? "\t$(LD) -o \"$(EXE)\" $(LDFLAGS) $(OBJS)"
                           : "\t$(LD) -o $(EXE) $(LDFLAGS) $(OBJS)") < 0)
        failed = true;
    else
        ++count;
    return failed ? -1 : count;
}
