// Storage taken once for the run, with the report of a shortfall.
#include "table_storage.hpp"
#include "diag.hpp"

#include <cstdint>

void* take_block(std::size_t rows, std::size_t width, std::size_t size, bool zeroed,
                 const char* name) {
    void* block = nullptr;
    // A size that cannot be formed is a shortfall too; an empty table still gets a block.
    if (width != 0 && rows <= SIZE_MAX / width / size) {
        const std::size_t n = rows * width > 0 ? rows * width : 1;
        block = zeroed ? std::calloc(n, size) : std::malloc(n * size);
    }
    if (block == nullptr)
        report(severity::error, "table allocation error", "mprc",
               "#ERROR#  mprc  table allocation error  table=[%s] rows=%zu\n", name, rows);
    return block;
}
