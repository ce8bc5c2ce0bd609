// A find-or-add index over the rows of a table: hash chains in storage taken once at the
// table's capacity. The caller hashes its key and compares the rows the chain offers, so
// one index serves keys of every kind; rows are entered at the end of their chain, so a
// chain offers a key's rows in the order they were added.
#pragma once

#include "table_storage.hpp"

#include <cstdint>

struct row_index {
    std::uint32_t mask = 0;        // buckets - 1
    int* head = nullptr;           // per bucket: 1 + the first row of its chain; 0 none
    int* next = nullptr;           // per row: 1 + the next row of its chain; 0 the last
    std::uint32_t* hash = nullptr; // per row: its key's hash
};

// The storage behind one row_index.
struct row_index_storage {
    table_storage<int> head;
    table_storage<int> next;
    table_storage<std::uint32_t> hash;
};

// Takes the storage of an index for rows rows, empty. False after the allocation report that
// names the index.
bool take_row_index(row_index& x, row_index_storage& s, int rows, const char* name);

// A walk along the chain of one hash: the link that leads to the next row to offer.
struct index_walk {
    int* link;
    std::uint32_t hash;
};

// Starts a walk over the rows whose key hashes to h.
index_walk index_start(row_index& x, std::uint32_t h);

// The next row on the walk whose hash is the walk's, or -1 at the end of the chain; the walk
// then stands where index_add enters a row.
int index_next(const row_index& x, index_walk& w);

// Enters row (with the walk's hash) at the end of the chain that the walk has come to the
// end of. Rows must be entered once each.
void index_add(row_index& x, index_walk& w, int row);

// Empties the chain of hash h (the rows stay stored, and may be entered again).
void index_forget(row_index& x, std::uint32_t h);

// Spreads the index over only as many buckets as rows rows want, within the taken_mask it was
// taken with, so that a short list stays within a few cache lines. Every chain must be empty.
void index_narrow(row_index& x, std::uint32_t taken_mask, int rows);
