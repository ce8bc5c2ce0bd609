// The include cache (internal to scan/): the statements that the run's first reading of each
// include file found, so that later sources replay them instead of reading the file again.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// Per include row and reading (Fortran in fixed form, Fortran in free form, or C for any other
// language code: the same file read in two forms gives two records), the start of its recorded
// statements in one arena, or null. A file is recorded only when its reading reached the end
// of the file: a record is always the whole file. A record is a run of statements of the
// classes that change the tables (1, 2, 3, 5), each as its class, its name's length and the
// name with a NUL, closed by a class 0 and the file's count of physical lines.
struct include_cache {
    const char** heads = nullptr; // 3 per include row, from the scan's storage
    int rows = 0;
    std::vector<std::unique_ptr<char[]>> blocks;
    char* free_at = nullptr;
    std::size_t free_left = 0;
};

// The readings a row has: one per language, and two for Fortran (its forms).
constexpr int readings_per_row = 3;

// The record of include row row read as language lang in form form (unused for C), or null.
const char* include_cache_find(const include_cache& c, int row, int lang, int form);

// Appends one statement to a record being built. False when memory ran out.
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
