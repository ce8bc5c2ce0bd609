// The statement readers and analysers alone, at full speed: every file of a project read
// statement by statement, as the scan reads it, several times over. Prints the median
// throughput, so that the cost of a change to a reader shows at once.
//
//   reader_bench DIR [passes]
//
// .c and .h files are read as C, .f90 as free-form Fortran, every other .f* and .inc file as
// fixed-form Fortran; other files are left out.
#include "codes.hpp"
#include "lang.hpp"
#include "limits.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct source {
    std::string path;
    int lang;
    int form;
};

bool pick(const std::filesystem::path& p, source& s) {
    const std::string ext = p.extension().string();
    s.path = p.string();
    s.form = form_fixed;
    if (ext == ".c" || ext == ".h") {
        s.lang = lang_c;
    } else if (ext == ".f90") {
        s.lang = lang_fortran;
        s.form = form_free;
    } else if (ext.rfind(".f", 0) == 0 || ext == ".inc") {
        s.lang = lang_fortran;
    } else {
        return false;
    }
    return true;
}

struct tally {
    long statements = 0;
    long includes = 0;
    long failures = 0;
};

// The block a source file is read in, as the scan lends it.
constexpr std::size_t block_size = std::size_t{1} << 16;

// Reads one file to its end, each statement analysed.
void read_file(const source& s, char* block, char* bun, char* name, tally& t) {
    std::FILE* fp = std::fopen(s.path.c_str(), "r");
    if (!fp) {
        ++t.failures;
        return;
    }
    text_input in;
    text_open(in, fp, block, block_size);
    char cdstack[cdstack_size] = "";
    int flg_cdstack = 0;
    for (int first = 1;; first = 0) {
        const int rtn = mprc_readbun(in, bun, s.lang, s.form, first, cdstack, &flg_cdstack);
        if (rtn <= 0) {
            if (rtn < 0) ++t.failures;
            break;
        }
        ++t.statements;
        const int bunclass = mprc_anabun(s.lang, bun, name, unit_name_max);
        if (bunclass == bunclass_include) ++t.includes;
        if (bunclass == bunclass_fault) ++t.failures;
    }
    std::fclose(fp);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: reader_bench DIR [passes]\n");
        return 2;
    }
    const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::vector<source> files;
    std::uintmax_t bytes = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(argv[1])) {
        source s;
        if (!e.is_regular_file() || !pick(e.path(), s)) continue;
        bytes += e.file_size();
        files.push_back(s);
    }
    std::sort(files.begin(), files.end(),
              [](const source& a, const source& b) { return a.path < b.path; });

    static char block[block_size];
    static char bun[bun_size];
    static char name[name_size];
    std::vector<double> seconds;
    tally t;
    for (int pass = 0; pass < passes; ++pass) {
        t = tally{};
        const auto start = std::chrono::steady_clock::now();
        for (const source& s : files)
            read_file(s, block, bun, name, t);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        seconds.push_back(took.count());
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("%zu files, %.1f MB, %ld statements, %ld includes, %ld failures\n", files.size(),
                mb, t.statements, t.includes, t.failures);
    std::printf("median of %d passes: %.3f s, %.1f MB/s (fastest %.3f s, slowest %.3f s)\n", passes,
                median, mb / median, seconds.front(), seconds.back());
    return t.failures == 0 ? 0 : 1;
}
