// Name-table row addressing and the directory/file join used for every path the tool opens.
#include "diag.hpp"
#include "tables.hpp"

#include <cstddef>
#include <cstring>

char* mprc_table_add(char* table, int width, int no) {
    if (no < 0) {
        report(severity::warning, "", "mprc_table_add", "#ERROR#  mprc_table_add  invalid no=%d\n",
               no);
        return table;
    }
    // Rows can lie beyond what an int product reaches; compute the offset in size_t.
    return table + static_cast<std::size_t>(width) * static_cast<std::size_t>(no);
}

int mprc_filename(char* filename, const char* in1, const char* in2, char mark) {
    std::size_t len1 = std::strlen(in1);
    std::size_t len2 = std::strlen(in2);
    // The separator counts even when in1 is empty, so the limit does not depend on it.
    // Written as two comparisons so that huge lengths cannot wrap the sum.
    if (len1 >= path_size || len2 >= path_size - len1 - 1) {
        filename[0] = '\0';
        report(severity::error, nullptr, "mprc_filename",
               "  #ERROR#  mprc_filename  too logng filename\n"
               "           in1=[%s]\n"
               "           in2=[%s], mark=[%c]\n",
               in1, in2, mark);
        return -1;
    }
    if (len1 == 0) {
        std::memcpy(filename, in2, len2 + 1);
        return 0;
    }
    std::memcpy(filename, in1, len1);
    filename[len1] = mark;
    std::memcpy(filename + len1 + 1, in2, len2 + 1);
    return 0;
}
