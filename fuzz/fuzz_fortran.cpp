// Fuzz target: the Fortran statement reader and analyser. The first input byte picks the
// source form (odd: free, even: fixed); the other bytes are one file.
#include "reader_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int form = data[0] % 2 == 1 ? form_free : form_fixed;
    const std::vector<std::string> calls = read_and_check(1, form, data + 1, size - 1);
    if (same_in_both_forms(data + 1, size - 1))
        fuzz_require(calls == read_and_check(1, 1 - form, data + 1, size - 1),
                     "statements from column 7 read differently in the two forms");
    return 0;
}
