// Where the library's reports go: the caller's stream once set, standard output until then.
#include "reports.hpp"
#include "dirlib.hpp"

namespace {

std::FILE* reports = nullptr; // null: standard output

} // namespace

void set_dirlib_reports(std::FILE* fp) {
    reports = fp;
}

std::FILE* report_stream() {
    return reports != nullptr ? reports : stdout;
}
