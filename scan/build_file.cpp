// File processing: reads one source file and, depth first, every include file it reaches,
// recording what the statements declare in the project tables. The include levels live on
// a heap stack, not the call stack, so nesting is bounded only by the include table and
// by the files the process may open.
#include "scan/scan.hpp"

#include "dirlib/dirlib.hpp"
#include "driver/diag.hpp"
#include "lang/lang.hpp"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The reading state of one open file of the chain.
struct level {
    std::FILE* fp = nullptr;
    inctab_row* entry = nullptr; // own include entry; null for the source file
    int nest = 0;
    int lines = 0;
    int flg_first = 1;
    int flg_cdstack = 0;
    char cdstack[cdstack_size];
    char filename[path_size];
};

// Owns the open files of a chain, so that every path out of build_file closes them.
struct level_stack {
    std::vector<level> levels;
    ~level_stack() {
        for (level& l : levels)
            if (l.fp) std::fclose(l.fp);
    }
    void pop() {
        if (levels.back().fp) std::fclose(levels.back().fp);
        levels.pop_back();
    }
};

// The analysers' fixed report texts keep within this size; paths are cut to fit it.
constexpr int report_size = path_size;

// Writes text + path + tail into out, shortening the path so the whole stays below
// report_size characters and the tail is always kept.
void cut_report(char* out, const char* text, const char* path, const char* tail) {
    const std::size_t room = report_size - 1 - std::strlen(text) - std::strlen(tail);
    std::snprintf(out, report_size, "%s%.*s%s", text, static_cast<int>(room), path, tail);
}

// Decides the language from the letter after the first dot: 1 Fortran, 2 C, 0 neither.
int source_language(const char* name) {
    const char* dot = std::strchr(name, '.');
    if (!dot) return 0;
    switch (dot[1]) {
    case 'f':
    case 'F':
        return 1;
    case 'c':
    case 'C':
        return 2;
    default:
        return 0;
    }
}

void copy_name(char* field, std::size_t size, const char* name) {
    std::snprintf(field, size, "%s", name);
}

// Creates the source row (nest 0) and opens the file of a new level: the row, the reset of
// the include marks, the path, the existence and type check, the open. Returns false after
// reporting; a level that failed holds no open file.
bool open_level(level& l, int nest, int& lang, int inctype, const char* dir, const char* name,
                int incdir_no, int srcdir_no, srctab_row* source, project& p) {
    bool ok = true;
    if (nest == 0) {
        if (p.src >= mxsrc) {
            std::printf("#ERROR#  build_file  source table overflow >=%d\n", mxsrc);
            print_diag(1, "source table overflow", "build_file");
            ok = false;
        } else {
            source->no = p.src;
            source->srcdir_no = srcdir_no;
            source->incdir_no = incdir_no;
            source->inctype = inctype;
            source->rmod1 = nullptr;
            source->rinc1 = nullptr;
            source->rmod_cnt = source->rinc_cnt = 0;
            source->line_cnt = source->incline_cnt = 0;
            source->lang = 0;
            source->flg_prog = 0;
            copy_name(source->name, sizeof source->name, name);
            lang = source_language(name);
            source->lang = lang;
            if (lang == 0) {
                std::printf("#ERROR#  invalid source type [%s] \n", name);
                print_diag(1, "invalid source type", "buuild_file");
                ok = false;
            }
        }
        for (int i = 0; i < p.inc; ++i) p.inctab[i].flg_ref = 0;
    }

    // The join runs even after a failure above, and reports its own fault as well.
    if (mprc_filename(l.filename, dir, name, '\\') != 0) {
        if (nest == 0) {
            std::printf(" #ERROR#  build_file  source filename error filename=[%s]\n",
                        l.filename);
            print_diag(1, "source filename error", "mprc_coun_file");
        } else {
            std::printf(" #ERROR#  build_file  include filename error filename=[%s]\n",
                        l.filename);
            print_diag(1, "include filename error", "mprc_coun_file");
        }
        ok = false;
    }
    if (!ok) return false;

    char report[report_size];
    int ierror = 0;
    int itype = 0;
    const int len = static_cast<int>(std::strlen(l.filename));
    isadir(ierror, len, l.filename, itype);
    if (ierror != 0) {
        cut_report(report, "not exist source file [", l.filename, "]");
        std::printf("#ERROR#  build_file  %s\n", report);
        print_diag(1, report, "build_file");
        return false;
    }
    if (itype != 0) {
        cut_report(report, "invalid filetype ", l.filename, "");
        std::printf(" #ERROR#  build_file  %s\n", report);
        print_diag(1, report, "build_file");
        return false;
    }
    l.fp = fopen_native(l.filename, "r");
    if (!l.fp) {
        std::printf(" #ERROR#  build_file  source file open error [%s]\n", l.filename);
        print_diag(1, "source file open error", "mprc_coun_file");
        return false;
    }
    l.nest = nest;
    l.lines = 0;
    l.flg_first = 1;
    l.flg_cdstack = 0;
    l.cdstack[0] = '\0';
    return true;
}

// Records a module use for the source; false after a reported table overflow.
bool record_use(const char* name, srctab_row* source, project& p) {
    modtab_row* module = build_modtab("use", p, name, source);
    if (!module) {
        std::printf("#ERROR#  build_file :error return from mprc_modtab\n");
        return false;
    }
    const int before = p.rmod;
    rmodtab_row* ref = build_rmodtab(module, p, source);
    if (!ref) {
        std::printf("#ERROR#  build_file :error return from mprc_rmodtab\n");
        return false;
    }
    if (p.rmod != before) {
        if (!source->rmod1) {
            source->rmod1 = ref;
            source->rmod_cnt = 1;
        } else {
            ++source->rmod_cnt;
        }
    }
    return true;
}

// Scratch kept across calls: the statement buffer is needed by one level at a time, since a
// statement is fully handled before the next level is read.
char bun[bun_size];

} // namespace

int build_file(int nest, int lang, int inctype, const char* incdir, const char* srcdir,
               const char* name, int incdir_no, int srcdir_no, srctab_row* source, project& p,
               inctab_row* parent) {
    level_stack stack;
    stack.levels.emplace_back();
    stack.levels.back().entry = parent;
    if (!open_level(stack.levels.back(), nest, lang, inctype, nest == 0 ? srcdir : incdir, name,
                    incdir_no, srcdir_no, source, p))
        return -1;

    char stmt_name[name_size];
    while (!stack.levels.empty()) {
        level& l = stack.levels.back();
        const int rtn = mprc_readbun(l.fp, bun, lang, l.flg_first, l.cdstack, &l.flg_cdstack);
        l.flg_first = 0;
        if (rtn == 0) {
            if (l.nest == 0)
                source->line_cnt = l.lines;
            else
                source->incline_cnt += l.lines;
            stack.pop();
            continue;
        }
        if (rtn < 0) {
            std::printf("#ERROR#  build_file  read error  source=[%s], line %d or after\n",
                        l.filename, l.lines + 1);
            print_diag(1, "error occurs while source inpur", "bueld_file");
            return -1;
        }
        l.lines += rtn;

        const int bunclass = mprc_anabun(lang, bun, stmt_name);
        if (bunclass < 0) return -1;
        if (bunclass == 1) {
            if (!build_modtab("module", p, stmt_name, source)) {
                std::printf("#ERROR#  build_file :error return from mprc_modtab\n");
                return -1;
            }
        } else if (bunclass == 2) {
            if (!record_use(stmt_name, source, p)) return -1;
        } else if (bunclass == 3) {
            const int here = l.nest;
            inctab_row* entry = build_inctab(here, l.entry, p, inctype, incdir_no, stmt_name);
            if (!entry) {
                std::printf("#ERROR#  build_file :error return from build_inctab\n");
                return -1;
            }
            if (entry->flg_ref) continue;
            const int before = p.rinc;
            refinctab_row* ref = build_refinctab(entry, p, source);
            if (!ref) {
                std::printf("#ERROR#  build_file :error return from build_refinctab\n");
                return -1;
            }
            entry->flg_ref = 1;
            if (p.rinc != before) {
                if (!source->rinc1) {
                    source->rinc1 = ref;
                    source->rinc_cnt = 1;
                } else {
                    ++source->rinc_cnt;
                }
            }
            // The new level may move the stack's storage: l is not used past this point.
            stack.levels.emplace_back();
            level& inner = stack.levels.back();
            inner.entry = entry;
            if (!open_level(inner, 1, lang, inctype, incdir, entry->name, incdir_no, srcdir_no,
                            source, p))
                return -1;
        } else if (bunclass == 5) {
            source->flg_prog = 1;
        }
    }
    return 0;
}
