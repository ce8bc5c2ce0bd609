// Storage of the run's tables and of the structures beside them: taken once, before the scan,
// at the capacities the run was given, and released with the run. A shortfall is reported
// and ends the run before anything is used.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

// Frees storage that came from malloc or calloc.
struct free_deleter {
    void operator()(void* block) const { std::free(block); }
};
template <class T> using table_storage = std::unique_ptr<T[], free_deleter>;

// Takes rows * width elements of size bytes, zeroed when asked (untouched pages of a large
// zeroed block cost no memory). Null after the report "#ERROR#  mprc  table allocation
// error  table=[name] rows=rows" and its summary, also when the size cannot be formed.
void* take_block(std::size_t rows, std::size_t width, std::size_t size, bool zeroed,
                 const char* name);

// take_block for a table of T: false after the report.
template <class T>
bool take_table(table_storage<T>& table, std::size_t rows, std::size_t width, const char* name,
                bool zeroed = false) {
    table.reset(static_cast<T*>(take_block(rows, width, sizeof(T), zeroed, name)));
    return table != nullptr;
}
