// The state of one scan (internal to scan/): the include levels of the file being processed,
// the statement buffer, the include marks, and the include cache that makes a large run linear.
#pragma once

#include "dir_listing.hpp"
#include "include_cache.hpp"
#include "limits.hpp"
#include "scan.hpp"
#include "text_input.hpp"

#include <cstdio>
#include <deque>
#include <memory>
#include <vector>

// What every file of one source's include chain shares: how it is read, where its include
// files are found, and the source row that everything found is recorded against.
struct chain {
    int lang;           // lang_fortran or lang_c; lang_none for a source (decided from its name)
    int form;           // form_fixed or form_free: the source's, for every file of the chain
    int inctype;        // -1 or 1, as in the source row
    const char* incdir; // the include directory: include files are looked up there only
    int incdir_no;
    const char* srcdir; // the source's directory
    int srcdir_no;
    srctab_row* source; // for a source, the row just taken (p.src already counts it)
};

// The reading or replaying state of one file of an include chain.
struct scan_level {
    std::FILE* fp = nullptr;
    text_input in;                 // what the readers take: fp and the block read ahead
    std::unique_ptr<char[]> block; // the input's block, kept from file to file at this depth
    std::size_t block_size = 0;
    const char* replay = nullptr; // the record being replayed, in place of fp
    inctab_row* entry = nullptr;  // own include entry; null for the source file
    int nest = 0;
    int lines = 0;
    int flg_first = 1;
    int flg_cdstack = 0;
    std::vector<char> rec; // the statements recorded for the cache; its storage is reused
    char cdstack[cdstack_size];
    char filename[path_size];
};

// One scan: levels stay allocated between sources, so a source costs no allocation once the
// deepest chain has been seen; a new level never moves the others.
struct scan_run {
    scan_run(scan_storage& s, int mxname) : name_max(mxname) {
        cache.heads = s.replays.get();
        cache.rows = s.rows;
    }
    int name_max; // the longest module, used-module and program name
    std::deque<scan_level> levels;
    int depth = 0;
    include_cache cache;
    dir_listings listings;
    // An include entry whose flg_ref equals generation has been read for the source now being
    // processed; 0 until the run's first source has cleared every mark.
    int generation = 0;
    // The statement being handled: one level at a time needs it, since a statement is
    // handled in full before the next level is read.
    char bun[bun_size];
};

// Processes one source file (nest 0, parent null; the row, language and form are decided
// here from name) or one include file (nest 1, its own include entry as parent, read in the
// chain's language and form), with every include file it reaches, at any depth: each read
// from disk the first time the run meets it in that language and form, replayed after.
// Nesting is bounded only by the include table and the files the process may open.
// Returns 0, or -1 after the report.
int build_file(int nest, const chain& c, const char* name, inctab_row* parent, project& p,
               scan_run& run);

// Starts the include marks of a new source: no entry counts as read for it.
void next_generation(scan_run& run, project& p);

// Opens the file of a fresh level: for a source (nest 0) first its row, language and form
// into c; then the path, the check that it is a regular file, the open. False after the
// report; a level that failed holds no open file.
bool open_level(scan_level& l, int nest, chain& c, const char* name, project& p);

// Closes the level's file, if it has one open.
void close_level(scan_level& l);

// Reports that memory ran out while the scan went on. Returns false.
bool out_of_memory();
