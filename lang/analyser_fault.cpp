// The report of a faulty statement: a detail line with the statement, then the summary.
#include "analyser_fault.hpp"
#include "codes.hpp"
#include "diag.hpp"

#include <cstdio>

int analyser_fault(const char* what, bool two_blanks, const char* bun, char* name,
                   const char* tag) {
    if (two_blanks)
        report(severity::error, what, tag, "#ERROR#  %s  bun=[%s]\n", what, bun);
    else
        report(severity::error, what, tag, "#ERROR#  %s bun=[%s]\n", what, bun);
    name[0] = '\0';
    return bunclass_fault;
}
