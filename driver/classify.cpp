// The command line's two phases before the scan: the table-size options, then the
// classification of every further argument into argtab and the name tables.
#include "diag.hpp"
#include "driver.hpp"

#include <climits>
#include <cstring>

namespace {

struct size_option {
    const char* prefix;
    int capacities::*capacity;
    int most; // the largest value allowed
};

// Reads a decimal int the way "%d" does (white space skipped, optional sign, the rest
// ignored), but refuses a value that an int cannot hold instead of guessing one.
bool read_int(const char* text, int& value) {
    while (*text != '\0' && std::strchr(" \t\n\v\f\r", *text) != nullptr)
        ++text;
    bool negative = *text == '-';
    if (*text == '+' || *text == '-') ++text;
    if (*text < '0' || *text > '9') return false;
    long long v = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        v = v * 10 + (*text - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v < INT_MIN || v > INT_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

bool same(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

// Position of the first of rows 0..last equal to text, or -1.
int find_row(char* table, int width, int last, const char* text) {
    for (int i = 0; i <= last; ++i)
        if (same(mprc_table_add(table, width, i), text)) return i;
    return -1;
}

// The row holding text: an equal row in use, else a new one with a copy of text.
int find_or_add_row(char* table, int width, int& last, const char* text) {
    int row = find_row(table, width, last, text);
    if (row >= 0) return row;
    ++last;
    std::strcpy(mprc_table_add(table, width, last), text);
    return last;
}

// Enters the source argument arg as the next argtab row: its directory into a shared srcdir
// row, its file part into a new srcfil row, and its include directory (the -I directory in
// force, or else its own directory). -1 after the "not file" report.
int classify_source(const char* arg, int mode, int current_inc, arg_tables& t) {
    char* dir = mprc_table_add(t.srcdir, t.width, t.srcdir_last + 1);
    char* fil = mprc_table_add(t.srcfil, t.width, t.srcfil_last + 1);
    if (mprc_argsrc(arg, dir, fil) < 0) return -1;
    int inc = mode == inctype_incdir ? current_inc
                                     : find_or_add_row(t.incdir, t.width, t.incdir_last, dir);
    // Equal directories share one srcdir row; file parts never do.
    int srcdir_no = find_row(t.srcdir, t.width, t.srcdir_last, dir);
    if (srcdir_no < 0) srcdir_no = ++t.srcdir_last;
    int srcfil_no = ++t.srcfil_last;
    t.argtab[t.argcnt] = {t.argcnt + 1, argtype_source, inc, srcdir_no, srcfil_no};
    ++t.argcnt;
    return 0;
}

int invalid_argument(int position, const char* argument) {
    report(severity::error, "invalid argument", "mprc",
           "#ERROR#  invalid argument argument-%d=[%s]\n", position, argument);
    print_usage();
    return -1;
}

} // namespace

int mprc_options(int argc, char** argv, capacities& cap) {
    cap = capacities{};
    static constexpr size_option options[] = {
        {"-mxsrc", &capacities::mxsrc, INT_MAX},
        {"-mxinc", &capacities::mxinc, INT_MAX},
        {"-mxrinc", &capacities::mxrinc, INT_MAX},
        {"-mxmod", &capacities::mxmod, INT_MAX},
        {"-mxrmod", &capacities::mxrmod, INT_MAX},
        {"-mxline", &capacities::mxline, INT_MAX},
        {"-mxname", &capacities::mxname, unit_name_limit},
    };
    int i = 1;
    for (; i < argc; ++i) {
        const size_option* match = nullptr;
        for (const size_option& o : options) {
            if (std::strncmp(argv[i], o.prefix, std::strlen(o.prefix)) == 0) {
                match = &o;
                break;
            }
        }
        if (match == nullptr) break;
        int value = 0;
        if (!read_int(argv[i] + std::strlen(match->prefix), value) || value <= 0 ||
            value > match->most) {
            report(severity::error, "invalid argument", "mprc",
                   "#ERROR#  invalid option argument-%d=[%s]\n", i, argv[i]);
            print_usage();
            return -1;
        }
        cap.*match->capacity = value;
    }
    return i;
}

int mprc_classify(int first, int argc, char** argv, arg_tables& t) {
    t.argcnt = 0;
    t.ext_cnt = 0;
    t.incdir_last = t.srcdir_last = t.srcfil_last = -1;
    int mode = inctype_own_dir; // or inctype_incdir while an -I directory is in force
    int current_inc = -1;       // incdir row of the -I directory in force
    for (int i = first; i < argc; ++i) {
        const char* arg = argv[i];
        argtab_row& row = t.argtab[t.argcnt];
        if (same(arg, "-I")) {
            mode = inctype_own_dir;
            row = {t.argcnt + 1, argtype_bare_include, -1, -1, -1};
            ++t.argcnt;
        } else if (std::strncmp(arg, "-I", 2) == 0) {
            mode = inctype_incdir;
            // Extract into the next free row; it becomes the new row only when no equal one exists.
            char* scratch = mprc_table_add(t.incdir, t.width, t.incdir_last + 1);
            mprc_arginc(arg, scratch);
            current_inc = find_row(t.incdir, t.width, t.incdir_last, scratch);
            if (current_inc < 0) current_inc = ++t.incdir_last;
            row = {t.argcnt + 1, argtype_include, current_inc, -1, -1};
            ++t.argcnt;
        } else if (std::strncmp(arg, "-X", 2) == 0 && arg[2] != '\0') {
            t.extnam[t.ext_cnt++] = arg + 2;
        } else if (arg[0] != '-') {
            if (classify_source(arg, mode, current_inc, t) < 0) {
                print_usage();
                return -1;
            }
        } else if (std::strncmp(arg, "-?", 2) == 0) {
            print_usage();
            return 1;
        } else {
            return invalid_argument(i, arg);
        }
    }
    if (t.srcfil_last < 0) {
        print_usage();
        report(severity::error, "  no source-file direction.", "mprc",
               "#ERROR#  no source-file direction.\n");
        return -1;
    }
    return 0;
}
