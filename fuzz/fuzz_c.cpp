// Fuzz target: the C statement reader and analyser, the input bytes being one file.
#include "reader_check.hpp"

#include <string>
#include <vector>

namespace {

// Every call's result, statement, pending text and flag, for the bytes read as one file.
std::vector<std::string> calls_of(const std::string& bytes) {
    std::vector<std::string> calls;
    std::vector<char> bun(bun_size);
    std::vector<char> cdstack(cdstack_size, '\0');
    int flg_cdstack = 0;
    std::FILE* fp = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
    fuzz_require(fp != nullptr, "fmemopen");
    std::vector<char> block(text_block_min); // exactly the smallest, so the sanitizer sees past it
    text_input in;
    text_open(in, fp, block.data(), block.size());
    for (int flg_first = 1;; flg_first = 0) {
        int rtn = build_read_c(in, bun.data(), flg_first, cdstack.data(), &flg_cdstack);
        calls.push_back(std::to_string(rtn) + "|" + bun.data() + "|" + cdstack.data() + "|" +
                        std::to_string(flg_cdstack));
        if (rtn <= 0 || calls.size() > 2 * bytes.size() + 4) break;
    }
    std::fclose(fp);
    return calls;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    read_and_check(2, form_fixed, data, size);
    // A byte-order mark in front of the file changes nothing, unless the file begins with
    // one already (only the first is skipped). fmemopen needs at least one byte.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string mark = "\xEF\xBB\xBF";
    if (size > 0 && bytes.compare(0, mark.size(), mark) != 0)
        fuzz_require(calls_of(bytes) == calls_of(mark + bytes),
                     "a byte-order mark changes what is read");
    return 0;
}
