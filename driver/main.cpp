// Entry point: measures the command line, runs it, and turns the outcome into the exit
// status (0 for a complete makefile or the usage text alone, 1 for every failure).
#include "diag.hpp"
#include "driver.hpp"

#include <csignal>

#ifdef __MINGW32__
// The tool expands * and ? itself, in its own order: the C runtime must leave them alone. The
// runtime's start-up code reads this variable of the program before main runs, so it is
// defined here, in the program, not behind the directory library's platform files, where
// only the order in which the linker meets the libraries would decide whether it counts.
int _dowildcard = 0;
#endif

int main(int argc, char** argv) {
#ifdef SIGPIPE
    // A reader that went away is a write error to report, not a reason to die silently.
    // (Standard C names the signal only where the system has it.)
    std::signal(SIGPIPE, SIG_IGN);
#endif
    std::size_t longest = longest_argument(argc, argv);
    // Name-table rows are longest + 2 wide; an argument list that large cannot be sized.
    if (longest > 0x7ffffff0u) {
        report_err("#ERROR#  argument too long\n");
        return 1;
    }
    int status = mprc(static_cast<int>(longest) + 1, argc, argv);

    // A makefile that did not reach its destination completely is a failure too.
    if (!out_flush()) {
        if (status >= 0) print_diag(1, "output error", "main");
        status = -1;
    }
    return status < 0 ? 1 : 0;
}
