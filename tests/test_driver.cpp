// The argument routines, the table-size options and the classification of the command line.
#include "captured_output.hpp"
#include "diag.hpp"
#include "driver.hpp"
#include "tables.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ArgSrc, SplitsDirectoryAndFile) {
    struct Case {
        const char* argument;
        const char* dir;
        const char* file;
        int result;
    } cases[] = {
        {"a.f", ".", "a.f", 0},        {"sub\\a.f", "sub", "a.f", 0},
        {"x/y/a.f", "x\\y", "a.f", 0}, {"x/y\\a.f", "x/y", "a.f", 0},
        {"x\\y/a.f", "x", "y/a.f", 0}, {"\\a.f", "", "a.f", 0},
        {"/a.f", "", "a.f", 0},        {"c:\\src\\*.f", "c:\\src", "*.f", 0},
        {"c:a.f", ".", "c:a.f", 0},    {"", ".", "", 0},
        {"sub\\", "sub\\", "", -1},    {"sub/", "sub\\", "", -1},
        {"a/b/", "a\\b\\", "", -1},    {"/", "\\", "", -1},
    };
    for (const Case& c : cases) {
        char dir[64], file[64];
        std::memset(dir, 'x', sizeof dir);
        std::memset(file, 'x', sizeof file);
        captured_output streams;
        EXPECT_EQ(mprc_argsrc(c.argument, dir, file), c.result) << c.argument;
        std::string out = streams.take_out();
        std::string err = streams.take_err();
        EXPECT_STREQ(dir, c.dir) << c.argument;
        EXPECT_STREQ(file, c.file) << c.argument;
        EXPECT_EQ(out, "");
        EXPECT_EQ(err, c.result == 0 ? std::string()
                                     : "#ERROR# argument [" + std::string(c.argument) +
                                           "] error : not file\n");
    }
}

TEST(ArgInc, TakesTheDirectoryOutOfTheOption) {
    struct Case {
        const char* argument;
        const char* row;
    } cases[] = {
        {"-Iinc", "inc"},
        {"-Iinc\\", "inc"},
        {"-Iinc/", "inc"},
        {"-Ia/b/", "a\\b"},
        {"-Ia\\b/", "a\\b/"},
        {"-I\\", ""},
        {"-Ic:\\", "c:"},
        {"-I/", ""},
        {"-Ia//", "a\\"},
        {"-Ia\\\\", "a\\"},
        {"-I/usr/inc", "\\usr\\inc"},
    };
    for (const Case& c : cases) {
        char row[64];
        std::memset(row, 'x', sizeof row);
        captured_output streams;
        EXPECT_EQ(mprc_arginc(c.argument, row), 0) << c.argument;
        EXPECT_EQ(streams.take_out(), "");
        EXPECT_STREQ(row, c.row) << c.argument;
    }
}

TEST(ArgInc, RefusesAnOptionWithoutDirectory) {
    for (const char* argument : {"-I", "-", ""}) {
        char row[8] = "xxxxxxx";
        captured_output streams;
        EXPECT_EQ(mprc_arginc(argument, row), -1);
        EXPECT_EQ(streams.take_out(), "#ERROR#  argument [" + std::string(argument) +
                                          "] error : not include directory\n");
        EXPECT_EQ(streams.take_err(), "#ERROR#  argumenterr \n");
        EXPECT_STREQ(row, "");
    }
}

// A command line as the process receives it, program name first.
struct Line {
    std::vector<std::string> words;
    std::vector<char*> argv;
    explicit Line(std::vector<std::string> w) : words(std::move(w)) {
        words.insert(words.begin(), "zelkov");
        for (std::string& s : words)
            argv.push_back(s.data());
        argv.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(words.size()); }
};

TEST(Options, SetCapacitiesUntilTheFirstOtherArgument) {
    struct Case {
        std::vector<std::string> args;
        int first; // -1: invalid
        int caps[7];
    } cases[] = {
        {{"a.f"}, 1, {1000, 500, 500, 100, 500, 131, 31}},
        {{"-mxline300", "-mxname63", "-mxline200x", "a.f"}, 4, {1000, 500, 500, 100, 500, 200, 63}},
        {{"-mxline0", "a.f"}, -1, {}},
        {{"-mxlinex", "a.f"}, -1, {}},
        {{"-mxname64", "a.f"}, -1, {}},
        {{"-mxsrc5", "-mxsrc7", "a.f"}, 3, {7, 500, 500, 100, 500}},
        {{"-mxinc3", "-mxrinc4", "-mxmod5", "-mxrmod6", "a.f"}, 5, {1000, 3, 4, 5, 6}},
        {{"-mxsrc 12", "-mxmod+9", "-mxrmod\t7x", "a.f"}, 4, {12, 500, 500, 9, 7}},
        {{"-mxsrc2147483647", "a.f"}, 2, {2147483647, 500, 500, 100, 500}},
        {{"-mxsrc5", "a.f", "-mxsrc7"}, 2, {5, 500, 500, 100, 500}},
        {{"-mxsrc5"}, 2, {5, 500, 500, 100, 500}},
        {{"-mxsrc0", "a.f"}, -1, {}},
        {{"-mxsrc", "a.f"}, -1, {}},
        {{"-mxmodx", "a.f"}, -1, {}},
        {{"-mxsrc-4", "a.f"}, -1, {}},
        {{"-mxsrc2147483648", "a.f"}, -1, {}},
        {{"-mxsrc99999999999", "a.f"}, -1, {}},
        {{"-mxsrc-99999999999999999999", "a.f"}, -1, {}},
        {{"-mxsrc1", "-mxrinc", "a.f"}, -1, {}},
    };
    for (const Case& c : cases) {
        Line line(c.args);
        captured_output streams;
        capacities cap{1, 2, 3, 4, 5}; // all replaced, by the defaults or the options
        int first = mprc_options(line.argc(), line.argv.data(), cap);
        std::string out = streams.take_out();
        EXPECT_EQ(first, c.first) << line.words[1];
        if (c.first < 0) {
            int position = 1;
            while (line.words[position] == "-mxsrc1")
                ++position;
            EXPECT_EQ(out, "#ERROR#  invalid option argument-" + std::to_string(position) + "=[" +
                               line.words[position] + "]\n");
            continue;
        }
        EXPECT_EQ(out, "");
        int caps[7] = {cap.mxsrc,  cap.mxinc,  cap.mxrinc, cap.mxmod,
                       cap.mxrmod, cap.mxline, cap.mxname};
        for (int k = 0; k < 7; ++k) {
            if (k >= 5 && c.caps[k] == 0) continue; // a row that leaves the last two alone
            EXPECT_EQ(caps[k], c.caps[k]) << line.words[1] << " #" << k;
        }
    }
}

// Classification into tables of the size the run uses.
struct Classified {
    Line line;
    int width;
    std::vector<argtab_row> argtab;
    std::vector<char> incdir, srcdir, srcfil;
    arg_tables t;
    int status;
    std::string out, err;

    explicit Classified(std::vector<std::string> args) : line(std::move(args)) {
        std::size_t longest = 0;
        for (const std::string& w : line.words)
            longest = std::max(longest, w.size());
        width = static_cast<int>(longest) + 2;
        std::size_t rows = line.words.size() + 3;
        argtab.resize(rows);
        incdir.resize(rows * width);
        srcdir.resize(rows * width);
        srcfil.resize(rows * width);
        t.argtab = argtab.data();
        t.width = width;
        t.incdir = incdir.data();
        t.srcdir = srcdir.data();
        t.srcfil = srcfil.data();
        captured_output streams;
        status = mprc_classify(1, line.argc(), line.argv.data(), t);
        out = streams.take_out();
        err = streams.take_err();
    }
    std::string rows(char* table, int last) const {
        std::string all;
        for (int i = 0; i <= last; ++i)
            all += std::string(mprc_table_add(table, width, i)) + ";";
        return all;
    }
};

// argtab rows as text, "no type incdir_no srcdir_no srcfil_no;" each.
std::string argtab_text(const argtab_row* rows, std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        const argtab_row& r = rows[i];
        for (int field : {r.no, r.type, r.incdir_no, r.srcdir_no})
            text += std::to_string(field) + ' ';
        text += std::to_string(r.srcfil_no) + ';';
    }
    return text;
}

struct ClassifyCase {
    std::vector<std::string> args;
    std::vector<argtab_row> argtab;
    const char* incdir; // rows in use, each followed by ';'
    const char* srcdir;
    const char* srcfil;
};

// Command lines with the tables they classify into.
std::vector<ClassifyCase> sharing_cases() {
    return {
        {{"a.f"}, {{1, 2, 0, 0, 0}}, ".;", ".;", "a.f;"},
        {{"-I", "a.f"}, {{1, -1, -1, -1, -1}, {2, 2, 0, 0, 0}}, ".;", ".;", "a.f;"},
        {{"-Iinc", "a.f", "b.f", "-I", "c.f"},
         {{1, 1, 0, -1, -1},
          {2, 2, 0, 0, 0},
          {3, 2, 0, 0, 1},
          {4, -1, -1, -1, -1},
          {5, 2, 1, 0, 2}},
         "inc;.;",
         ".;",
         "a.f;b.f;c.f;"},
        {{"-Iinc", "a.f", "-Iinc", "b.f"},
         {{1, 1, 0, -1, -1}, {2, 2, 0, 0, 0}, {3, 1, 0, -1, -1}, {4, 2, 0, 0, 1}},
         "inc;",
         ".;",
         "a.f;b.f;"},
        {{"src\\a.f", "-Isrc", "b.f"},
         {{1, 2, 0, 0, 0}, {2, 1, 0, -1, -1}, {3, 2, 0, 1, 1}},
         "src;",
         "src;.;",
         "a.f;b.f;"},
        {{"src\\a.f", "src\\b.f"}, {{1, 2, 0, 0, 0}, {2, 2, 0, 0, 1}}, "src;", "src;", "a.f;b.f;"},
        {{"Src\\a.f", "src\\b.f"},
         {{1, 2, 0, 0, 0}, {2, 2, 1, 1, 1}},
         "Src;src;",
         "Src;src;",
         "a.f;b.f;"},
        {{"x/y/a.f", "x\\y\\b.f", "-Ix/y/", "c.f", "x\\y\\d.f"},
         {{1, 2, 0, 0, 0}, {2, 2, 0, 0, 1}, {3, 1, 0, -1, -1}, {4, 2, 0, 1, 2}, {5, 2, 0, 0, 3}},
         "x\\y;",
         "x\\y;.;",
         "a.f;b.f;c.f;d.f;"},
        {{"-Ia", "-Ib", "s\\a.f", "-Ia", "-I", "b\\b.f", "t\\c.f"},
         {{1, 1, 0, -1, -1},
          {2, 1, 1, -1, -1},
          {3, 2, 1, 0, 0},
          {4, 1, 0, -1, -1},
          {5, -1, -1, -1, -1},
          {6, 2, 1, 1, 1},
          {7, 2, 2, 2, 2}},
         "a;b;t;",
         "s;b;t;",
         "a.f;b.f;c.f;"},
    };
}

TEST(Classify, SharesEqualDirectoriesAndKeepsFileParts) {
    for (const ClassifyCase& c : sharing_cases()) {
        Classified k(c.args);
        const std::string& first = c.args.front();
        ASSERT_EQ(k.status, 0) << first;
        EXPECT_EQ(k.out, "");
        EXPECT_EQ(k.err, "");
        ASSERT_EQ(k.t.argcnt, static_cast<int>(c.argtab.size())) << first;
        EXPECT_EQ(argtab_text(k.argtab.data(), c.argtab.size()),
                  argtab_text(c.argtab.data(), c.argtab.size()))
            << first;
        EXPECT_EQ(k.rows(k.t.incdir, k.t.incdir_last), c.incdir) << first;
        EXPECT_EQ(k.rows(k.t.srcdir, k.t.srcdir_last), c.srcdir) << first;
        EXPECT_EQ(k.rows(k.t.srcfil, k.t.srcfil_last), c.srcfil) << first;
    }
}

// The usage text as print_usage writes it.
std::string usage_text() {
    captured_output streams;
    print_usage();
    return streams.take_err();
}

TEST(Classify, EndsAtTheFirstUnusableArgument) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err_before_usage;
        const char* err_after_usage = "";
    } cases[] = {
        {{"-?", "a.f"}, 1, "", ""},
        {{"a.f", "-?x"}, 1, "", ""},
        {{"-x", "a.f"},
         -1,
         "#ERROR#  invalid argument argument-1=[-x]\n",
         "#ERROR#  invalid argument\n"},
        {{"a.f", "-mxsrc5"},
         -1,
         "#ERROR#  invalid argument argument-2=[-mxsrc5]\n",
         "#ERROR#  invalid argument\n"},
        {{"a.f", "-"},
         -1,
         "#ERROR#  invalid argument argument-2=[-]\n",
         "#ERROR#  invalid argument\n"},
        {{"a.f", "sub\\", "-x"}, -1, "", "#ERROR# argument [sub\\] error : not file\n"},
        {{"-Iinc", "-I"},
         -1,
         "#ERROR#  no source-file direction.\n",
         "",
         "#ERROR#    no source-file direction.\n"},
        // Without a source the usage text comes first, then the summary.
        {{"-I"},
         -1,
         "#ERROR#  no source-file direction.\n",
         "",
         "#ERROR#    no source-file direction.\n"},
    };
    ASSERT_NE(usage_text().find("  Usage:\n"), std::string::npos);
    for (const Case& c : cases) {
        Classified k(c.args);
        EXPECT_EQ(k.status, c.status) << c.args.back();
        EXPECT_EQ(k.out, c.out);
        EXPECT_EQ(k.err, c.err_before_usage + usage_text() + c.err_after_usage) << c.args.back();
    }
}

} // namespace
