// Lookup structures kept beside the module and include tables, so that find-or-add and the
// reference lookups take constant time however large a run grows. They never change what
// the tables hold, in which order, or what is reported: a run with an index gives the same
// tables as one that searches row by row.
#pragma once

#include "tables.hpp"

#include <cstdint>
#include <cstdlib>
#include <memory>

// Frees storage that came from malloc or calloc.
struct free_deleter {
    void operator()(void* block) const { std::free(block); }
};
template <class T> using malloc_array = std::unique_ptr<T[], free_deleter>;

// Hash chains over the rows of the include table (key: name, inctype, incdir_no) and of the
// module table (key: name with ASCII letters folded), and per row the markers that answer
// "the last child of this entry" and "this entry's last reference, and for which source".
// Storage is taken once at the tables' capacities; bucket heads start zeroed, every per-row
// slot is written when its row is indexed. Rows are indexed in table order, so a chain finds
// the first row of a key in table order.
struct table_index {
    std::uint32_t inc_mask = 0;
    malloc_array<int> inc_head; // 1-based row of the chain's first row, 0 none
    malloc_array<int> inc_next; // per row: 1-based next row of its chain
    malloc_array<std::uint32_t> inc_hash;
    malloc_array<inctab_row*> inc_last_child;
    malloc_array<refinctab_row*> inc_last_ref;
    int inc_indexed = 0; // rows of inctab entered so far

    std::uint32_t mod_mask = 0;
    malloc_array<int> mod_head;
    malloc_array<int> mod_next;
    malloc_array<std::uint32_t> mod_hash;
    malloc_array<rmodtab_row*> mod_last_ref;
    int mod_indexed = 0;

    int rinc_indexed = 0; // references entered into the markers
    int rmod_indexed = 0;
    int inc_capacity = 0; // rows the per-row arrays hold
    int mod_capacity = 0;
};

// Takes the index storage for the capacities mxinc and mxmod and enters the rows and
// references already in p. False when the storage cannot be had: the caller then goes on
// without an index, row by row, with the same results.
bool table_index_open(table_index& x, const project& p);

// Brings the index up to the rows and references in p (new rows are entered in table
// order; tables that were emptied start it afresh). The table operations call it first, so
// rows added behind the index's back are found all the same. False when the tables hold more
// rows than the index was taken for: the operations then search row by row.
bool table_index_sync(table_index& x, const project& p);

// Hash of a module name with ASCII letters folded to upper case, as modules compare.
std::uint32_t module_key_hash(std::string_view name);

// Hash of an include key.
std::uint32_t include_key_hash(std::string_view name, int inctype, int incdir_no);
