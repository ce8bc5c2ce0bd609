// The state of one scan (internal to scan/): the include levels of the file being processed,
// the statement buffer, the include marks, and the caches that make a large run linear.
#pragma once

#include "include_cache.hpp"
#include "limits.hpp"
#include "scan.hpp"
#include "text_input.hpp"

#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

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

// One scan: levels stay allocated between sources, so a source costs no allocation once the
// deepest chain has been seen; a new level never moves the others. With cache null nothing
// is recorded.
struct scan_run {
    std::deque<scan_level> levels;
    int depth = 0;
    include_cache* cache = nullptr;
    // An include entry whose flg_ref equals generation has been read for the source now being
    // processed; 0 until the run's first source has cleared every mark.
    int generation = 0;
    // The statement being handled: one level at a time needs it, since a statement is
    // handled in full before the next level is read.
    char bun[bun_size];
};

// build_file on the given run state: the same processing, the same reports. 0 or -1.
int build_file_run(int nest, const chain& c, const char* name, inctab_row* parent, project& p,
                   scan_run& run);

// Starts the include marks of a new source: no entry counts as read for it.
void next_generation(scan_run& run, project& p);

// Opens the file of a fresh level: for a source (nest 0) first its row, language and form
// into c; then the path, the check that it is a regular file, the open. False after the
// report; a level that failed holds no open file.
bool open_level(scan_level& l, int nest, chain& c, const char* name, project& p);

// Closes the level's file, if it has one open.
void close_level(scan_level& l);

// The listings of the directories that the latest wildcard arguments named, so that the
// patterns of one directory given side by side (s\*.f s\*.f90) read it once. Only a few are
// kept: holding every directory of a large run would cost memory for little gain, and finding
// one among thousands would cost a search per argument.
struct listed_directory {
    std::string dir;
    bool listed = false; // false: it cannot be listed here, opndir serves its patterns
    std::vector<std::string> names;
};
struct directory_cache {
    static constexpr std::size_t kept = 4;
    std::vector<listed_directory> dirs; // the most recently listed last
};

// The names that the pattern path1 matches, in the order rddir would give them, from its
// directory's listing (read when it is not among the kept ones). False when the listing cannot
// serve, or no name matches (then opndir, which writes the report, must serve the pattern). Reports
// nothing.
bool cached_matches(directory_cache& cache, const char* path1, std::vector<const char*>& names);
