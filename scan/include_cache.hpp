// What the scan keeps for one run (internal to scan/): the statements that its first reading
// of each include file found, so that later sources replay them instead of reading the file
// again, and the include levels of the file being processed.
#pragma once

#include "limits.hpp"
#include "table_index.hpp"
#include "tables.hpp"
#include "text_input.hpp"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <vector>

// Per include row and reading (Fortran in fixed form, Fortran in free form, or C for any other
// language code: the same file read in two forms gives two records), the start of its recorded
// statements in one arena, or null. A file is recorded only when its reading reached the end
// of the file: a record is always the whole file. A record is a run of statements of the
// classes that change the tables (1, 2, 3, 5), each as its class, its name's length and the
// name with a NUL, closed by a class 0 and the file's count of physical lines.
struct include_cache {
    malloc_array<const char*> heads; // 3 per include row; calloc'd, so untouched rows cost nothing
    int rows = 0;
    std::vector<std::unique_ptr<char[]>> blocks;
    char* free_at = nullptr;
    std::size_t free_left = 0;
};

// Takes the heads for capacity include rows. False when they cannot be had (then nothing is
// cached and every include file is read each time, with the same results).
bool include_cache_open(include_cache& c, int capacity);

// The record of include row row read as language lang in form form (unused for C), or null.
const char* include_cache_find(const include_cache& c, int row, int lang, int form);

// Appends one statement to a record being built. False when memory ran out (the record is
// then unusable and must not be stored).
bool include_cache_note(std::vector<char>& rec, int bunclass, const char* name);

// Stores a finished record for (row, lang, form) with the file's line count. False when
// memory ran out; nothing is stored then.
bool include_cache_store(include_cache& c, int row, int lang, int form,
                         const std::vector<char>& rec, int lines);

// One statement of a record: its class and its NUL-terminated name.
struct cached_statement {
    int bunclass;
    const char* name;
};

// Reads the statement at pos and moves pos past it. At the end of the record returns false
// with the file's line count in lines.
bool include_cache_next(const char*& pos, cached_statement& s, int& lines);

// The reading or replaying state of one file of an include chain.
struct scan_level {
    std::FILE* fp = nullptr;
    text_input in;                // what the readers take: fp and the block read ahead
    const char* replay = nullptr; // the record being replayed, in place of fp
    inctab_row* entry = nullptr;  // own include entry; null for the source file
    int nest = 0;
    int lines = 0;
    int flg_first = 1;
    int flg_cdstack = 0;
    bool recording = false;        // the statements go into rec for the cache
    std::vector<char> rec;         // kept between files, so its storage is reused
    std::unique_ptr<char[]> iobuf; // the input's block buffer, kept between files as well
    char cdstack[cdstack_size];
    char filename[path_size];
};

// The state of one scan: levels stay allocated between sources, so a source costs no
// allocation once the deepest chain has been seen. With cache null nothing is recorded.
struct scan_run {
    std::vector<scan_level> levels;
    int depth = 0;
    include_cache* cache = nullptr;
};

// build_file on the given run state: the same processing, the same reports.
int build_file_run(int nest, int lang, int inctype, const char* incdir, const char* srcdir,
                   const char* name, int incdir_no, int srcdir_no, srctab_row* source, project& p,
                   inctab_row* parent, scan_run& run);
