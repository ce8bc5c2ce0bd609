// File processing: reads one source file and, depth first, every include file it reaches,
// recording what the statements declare in the project tables. The include levels live on
// a heap stack, not the call stack, so nesting is bounded only by the include table and
// by the files the process may open. An include file that the run has read to its end once
// is not read again: its recorded statements are replayed, with the same table operations
// in the same order, so the tables and reports come out the same.
#include "scan_run.hpp"

#include "codes.hpp"
#include "diag.hpp"
#include "lang.hpp"

#include <cstdio>
#include <new>

namespace {

// Input blocks: a large one for the source file, smaller ones for the include levels, and
// the smallest a reader can work with beyond the first levels, so a very deep chain stays
// cheap.
constexpr std::size_t source_block_size = std::size_t{1} << 16;
constexpr std::size_t include_block_size = std::size_t{1} << 14;
constexpr int large_block_levels = 32;

std::size_t block_size_at(int depth) {
    if (depth == 0) return source_block_size;
    return depth <= large_block_levels ? include_block_size : text_block_min;
}

// Closes every level still open, whichever way processing ends.
struct open_levels {
    scan_run& run;
    ~open_levels() {
        for (int d = 0; d < run.depth; ++d)
            close_level(run.levels[d]);
        run.depth = 0;
    }
};

// Hands the level's open file to its input, which reads it in whole blocks into the level's
// block, so the stream keeps no buffer of its own: that would cost a status query and a
// copy of every byte.
void start_input(scan_level& l) {
    l.flg_first = 1;
    l.flg_cdstack = 0;
    l.cdstack[0] = '\0';
    std::setvbuf(l.fp, nullptr, _IONBF, 0);
    text_open(l.in, l.fp, l.block.get(), l.block_size);
}

// Takes the next level of the chain, fresh; a level's input block is taken when the level is
// first reached. Null after the report when no memory is left.
scan_level* push_level(scan_run& run, int nest, inctab_row* entry) {
    if (run.depth == static_cast<int>(run.levels.size())) {
        try {
            scan_level& added = run.levels.emplace_back();
            added.block_size = block_size_at(run.depth);
            added.block.reset(new char[added.block_size]);
        } catch (const std::bad_alloc&) {
            out_of_memory();
            return nullptr;
        }
    }
    scan_level& l = run.levels[run.depth++];
    l.fp = nullptr;
    l.replay = nullptr;
    l.entry = entry;
    l.nest = nest;
    l.lines = 0;
    l.rec.clear();
    return &l;
}

// Ends the innermost level, whose file or record is done: its lines go to the source row,
// and an include file read to its end is kept for the next source that includes it. False
// after the report when memory ran out.
bool finish_level(scan_run& run, const chain& c, project& p) {
    scan_level& l = run.levels[run.depth - 1];
    if (l.nest == 0)
        c.source->line_cnt = l.lines;
    else
        c.source->incline_cnt += l.lines;
    const bool read = l.replay == nullptr && l.entry != nullptr;
    close_level(l);
    --run.depth;
    if (read && !include_cache_store(run.cache, static_cast<int>(l.entry - p.inctab), c.lang,
                                     c.form, l.rec, l.lines))
        return out_of_memory();
    return true;
}

// Opens the next level for an include entry: its record when the run has one, else the file.
bool enter_include(scan_run& run, inctab_row* entry, const chain& c, project& p) {
    scan_level* inner = push_level(run, 1, entry);
    if (inner == nullptr) return false;
    inner->replay =
        include_cache_find(run.cache, static_cast<int>(entry - p.inctab), c.lang, c.form);
    if (inner->replay != nullptr) return true;
    chain same = c;
    if (!open_level(*inner, 1, same, entry->name, p)) return false;
    start_input(*inner);
    return true;
}

// Reports a table routine that failed (it has written its own report). Returns false.
bool error_return(const char* routine) {
    report(severity::error, nullptr, "build_file", "#ERROR#  build_file :error return from %s\n",
           routine);
    return false;
}

// Counts a reference that a table routine has just added for the source: the first one
// becomes the source's first, later ones follow it.
template <typename Row> void count_reference(Row*& first, int& count, Row* added) {
    if (first == nullptr) {
        first = added;
        count = 1;
    } else {
        ++count;
    }
}

// Records a module use for the source; false after a reported table overflow.
bool record_use(const char* name, srctab_row* source, project& p) {
    modtab_row* module = build_modtab("use", p, name, source);
    if (!module) return error_return("mprc_modtab");
    const int before = p.rmod;
    rmodtab_row* ref = build_rmodtab(module, p, source);
    if (!ref) return error_return("mprc_rmodtab");
    if (p.rmod != before) count_reference(source->rmod1, source->rmod_cnt, ref);
    return true;
}

// Records an include statement of the level at position at, and enters the file when the
// source has not read it yet. False after a report.
bool record_include(scan_run& run, int at, const char* name, const chain& c, project& p) {
    // A file that the user named as provided outside the project is neither looked up, nor
    // read, nor listed.
    if (is_external_include(p.ext, name)) return true;
    const scan_level& l = run.levels[at];
    inctab_row* entry = build_inctab(l.nest, l.entry, p, c.inctype, c.incdir_no, name);
    if (!entry) return error_return("build_inctab");
    if (entry->flg_ref == run.generation) return true;
    const int before = p.rinc;
    refinctab_row* ref = build_refinctab(entry, p, c.source);
    if (!ref) return error_return("build_refinctab");
    entry->flg_ref = run.generation;
    if (p.rinc != before) count_reference(c.source->rinc1, c.source->rinc_cnt, ref);
    return enter_include(run, entry, c, p);
}

// Records one statement of the level at position at in the tables. False after a report.
bool handle_statement(scan_run& run, int at, int bunclass, const char* name, const chain& c,
                      project& p) {
    switch (bunclass) {
    case bunclass_module:
        return build_modtab("module", p, name, c.source) != nullptr || error_return("mprc_modtab");
    case bunclass_use:
        return record_use(name, c.source, p);
    case bunclass_include:
        return record_include(run, at, name, c, p);
    case bunclass_program:
        c.source->flg_prog = 1;
        return true;
    default:
        return true;
    }
}

// What the innermost level gives next.
enum class step { statement, level_done, failed };

// Reads or replays the next statement of the innermost level into bunclass and name.
step next_statement(scan_run& run, const chain& c, int& bunclass, const char*& name,
                    char* name_buf) {
    scan_level& l = run.levels[run.depth - 1];
    if (l.replay != nullptr) {
        cached_statement cs;
        if (!include_cache_next(l.replay, cs, l.lines)) return step::level_done;
        bunclass = cs.bunclass;
        name = cs.name;
        return step::statement;
    }
    const int rtn =
        mprc_readbun(l.in, run.bun, c.lang, c.form, l.flg_first, l.cdstack, &l.flg_cdstack);
    l.flg_first = 0;
    if (rtn == 0) return step::level_done;
    if (rtn < 0) {
        report(severity::error, "error occurs while source inpur", "bueld_file",
               "#ERROR#  build_file  read error  source=[%s], line %d or after\n", l.filename,
               l.lines + 1);
        return step::failed;
    }
    l.lines += rtn;
    bunclass = mprc_anabun(c.lang, run.bun, name_buf, run.name_max);
    if (bunclass < 0) return step::failed;
    name = name_buf;
    const bool kept = bunclass == bunclass_module || bunclass == bunclass_use ||
                      bunclass == bunclass_include || bunclass == bunclass_program;
    if (l.entry != nullptr && kept &&
        !include_cache_note(l.rec, bunclass, bunclass == bunclass_program ? "" : name_buf)) {
        out_of_memory();
        return step::failed;
    }
    return step::statement;
}

} // namespace

bool out_of_memory() {
    report(severity::error, "out of memory", "build_file", "#ERROR#  build_file  out of memory\n");
    return false;
}

int build_file(int nest, const chain& given, const char* name, inctab_row* parent, project& p,
               scan_run& run) {
    open_levels guard{run};
    run.depth = 0;
    if (nest == 0 || run.generation == 0) next_generation(run, p);
    scan_level* top = push_level(run, nest, parent);
    if (top == nullptr) return -1;
    chain c = given;
    if (!open_level(*top, nest, c, name, p)) return -1;
    start_input(*top);

    char name_buf[name_size];
    while (run.depth > 0) {
        const int at = run.depth - 1;
        int bunclass = 0;
        const char* stmt = nullptr;
        const step s = next_statement(run, c, bunclass, stmt, name_buf);
        if (s == step::failed) return -1;
        if (s == step::level_done) {
            if (!finish_level(run, c, p)) return -1;
            continue;
        }
        if (!handle_statement(run, at, bunclass, stmt, c, p)) return -1;
    }
    return 0;
}
