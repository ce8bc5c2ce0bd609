// Fuzz target: the C statement reader and analyser, the input bytes being one file.
#include "reader_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    read_and_check(2, form_fixed, data, size);
    return 0;
}
