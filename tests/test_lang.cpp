// Statement readers and analysers: every call's result, statement, pending line and flag.
#include "codes.hpp"
#include "lang.hpp"
#include "limits.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;

namespace {

struct file_closer {
    void operator()(std::FILE* fp) const { std::fclose(fp); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

file_ptr temp_file(const std::string& text) {
    file_ptr fp(std::tmpfile());
    if (fp) {
        std::fwrite(text.data(), 1, text.size(), fp.get());
        std::rewind(fp.get());
    }
    return fp;
}

struct call {
    int rtn;
    std::string bun;
    std::string cdstack;
    int flg;
    bool operator==(const call&) const = default;
};

void PrintTo(const call& c, std::ostream* os) {
    *os << "{" << c.rtn << ", \"" << c.bun << "\", \"" << c.cdstack << "\", " << c.flg << "}";
}

// The reading state of one open file, as its caller keeps it.
struct reader {
    reader(file_ptr file, int language, int source_form = form_fixed)
        : fp(std::move(file)), lang(language), form(source_form) {
        text_open(in, fp.get());
    }
    file_ptr fp;
    text_input in;
    int lang;
    int form;
    bool first = true;
    char bun[bun_size] = {};
    char cdstack[cdstack_size] = "junk";
    int flg = 1;

    call next() {
        int rtn = mprc_readbun(in, bun, lang, form, first ? 1 : 0, cdstack, &flg);
        first = false;
        return {rtn, bun, cdstack, flg};
    }
};

// Reads until the end of the file or an error, the last call included.
std::vector<call> read_all(int lang, const std::string& text, int form = form_fixed) {
    reader r{temp_file(text), lang, form};
    std::vector<call> calls;
    do
        calls.push_back(r.next());
    while (calls.back().rtn > 0 && calls.size() < 100000);
    return calls;
}

struct reader_case {
    const char* title;
    std::string input;
    std::vector<call> expected;
    int form = form_fixed; // Fortran only
};

const call at_end{0, "", "", 0};

std::string fixed(const std::string& text) {
    return "      " + text;
}
std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

const std::string line131 = fixed("B=2") + std::string(122, 'x'); // 131 characters
const std::string text_of_131 = "B=2" + std::string(63, 'x');     // columns 7 to 72

// Lines that free and fixed form read differently.
const std::string use_five_blanks = "program p\n     use m\nend program p\n";
const std::string users_continued = "  call s(x, &  ! two\n\n! note\n    USERS, y)\n";
const std::string past_72 = "      use" + std::string(70, ' ') + "m\n";
const std::string column1_text = "Call s\ncontains\n*p = 1\n";
const std::string long_free = "a = " + std::string(127, 'b'); // 131 characters

const reader_case fortran_cases[] = {
    {"empty file", "", {at_end}},
    {"only comment lines", "C one\n* two\nc three\n", {{3, "", "", 0}, at_end}},
    {"two statements",
     fixed("X=1\n") + fixed("Y=2\n"),
     {{1, "X=1", fixed("Y=2"), 1}, {1, "Y=2", "", 0}, at_end}},
    {"a byte-order mark is not text of the first line",
     "\xEF\xBB\xBF" + fixed("MODULE m\n"),
     {{1, "MODULE m", "", 0}, at_end}},
    {"a file of only a byte-order mark", "\xEF\xBB\xBF", {at_end}},
    {"a byte-order mark before CR LF", "\xEF\xBB\xBF\r\n", {{1, "", "", 0}, at_end}},
    {"the bytes of a partial mark stay text",
     "\xEF\xBB" + fixed("X=1\n"),
     {{1, "\xEF\xBB" + fixed("X=1"), "", 0}, at_end}},
    {"worked example: continuation, then a label",
     "C comment\n" + fixed("INCLUDE\n") + "     & 'defs.inc'\n100   CONTINUE\n",
     {{3, "INCLUDE 'defs.inc'", "100   CONTINUE", 1}, {1, " CONTINUE", "", 0}, at_end}},
    {"same with CR LF line ends",
     "C comment\r\n" + fixed("INCLUDE\r\n") + "     & 'defs.inc'\r\n100   CONTINUE\r\n",
     {{3, "INCLUDE 'defs.inc'", "100   CONTINUE", 1}, {1, " CONTINUE", "", 0}, at_end}},
    {"'!' ends the text, quotes or not",
     fixed("USE mymod ! note\n") + fixed("X=1!\n") + fixed("INCLUDE 'a!b.inc'\n"),
     {{1, "USE mymod ", fixed("X=1!"), 1},
      {1, "X=1", fixed("INCLUDE 'a!b.inc'"), 1},
      {1, "INCLUDE 'a", "", 0},
      at_end}},
    {"'!' as first non-blank is a comment line",
     "          ! note\n!x\n",
     {{2, "", "", 0}, at_end}},
    {"columns beyond 72 take no part",
     fixed("X=1") + std::string(63, ' ') + "!SEQ0001\n" + fixed("Y=2") + std::string(63, ' ') +
         "SEQ00020\n",
     {{1, "X=1" + std::string(63, ' '), fixed("Y=2") + std::string(63, ' ') + "SEQ00020", 1},
      {1, "Y=2" + std::string(63, ' '), "", 0},
      at_end}},
    {"tab form and a tab-digit continuation",
     "\tUSE mymod\n\tINCLUDE\n\t1 'x.inc'\n",
     {{1, "USE mymod", "\tINCLUDE", 1}, {2, "INCLUDE 'x.inc'", "", 0}, at_end}},
    {"a tab after a label begins the text", "12\tX=1\n", {{1, "\tX=1", "", 0}, at_end}},
    {"'&' in column 1 continues",
     fixed("USE m,\n") + "& ONLY: a\n",
     {{2, "USE m, ONLY: a", "", 0}, at_end}},
    {"text from column 5 is a new statement, from column 6 a continuation",
     fixed("USE m,&\n") + "    ONLY: a\n" + "     ONLY: b\n",
     {{1, "USE m,&", "    ONLY: a", 1}, {2, "ONLY: aNLY: b", "", 0}, at_end}},
    {"free form line beginning with c is a comment",
     "contains\n" + fixed("X=1\n"),
     {{2, "X=1", "", 0}, at_end}},
    {"a lone label has no text", "100\n" + fixed("X=1\n"), {{2, "X=1", "", 0}, at_end}},
    {"comment lines between continuations",
     fixed("A\n") + "C x\n\n     &B\n",
     {{4, "AB", "", 0}, at_end}},
    {"a file of only continuation lines",
     "     &X\n     &X\n     &X\n",
     {{3, "&XXX", "", 0}, at_end}},
    {"131 characters and LF are one line",
     fixed("A=1\n") + line131 + "\n" + fixed("C=3\n"),
     {{1, "A=1", line131, 1}, {1, text_of_131, fixed("C=3"), 1}, {1, "C=3", "", 0}, at_end}},
    {"131 characters and CR LF are one line",
     fixed("A=1\r\n") + line131 + "\r\n" + fixed("C=3\r\n"),
     {{1, "A=1", line131, 1}, {1, text_of_131, fixed("C=3"), 1}, {1, "C=3", "", 0}, at_end}},
    {"the rest of a 140-character line is skipped and counts once",
     fixed("A=1\n") + line131 + "USE junk\n" + fixed("C=3\n"),
     {{1, "A=1", line131, 1}, {1, text_of_131, fixed("C=3"), 1}, {1, "C=3", "", 0}, at_end}},
    {"last line without a newline", fixed("X=1"), {{1, "X=1", "", 0}, at_end}},
    {"a NUL byte ends the line's text",
     fixed("X=1\0USE junk\n"s) + "\0\n"s + fixed("Y=2\n"),
     {{2, "X=1", fixed("Y=2"), 1}, {1, "Y=2", "", 0}, at_end}},
    {"a lone CR stays text", fixed("X=1\rY\n"), {{1, "X=1\rY", "", 0}, at_end}},

    // Free form, and the same lines read in fixed form where the two differ.
    {"free: a use indented by five blanks begins a statement",
     use_five_blanks,
     {{1, "program p", "     use m", 1},
      {1, "use m", "end program p", 1},
      {1, "end program p", "", 0},
      at_end},
     form_free},
    {"fixed: column 6 makes it a continuation",
     use_five_blanks,
     {{2, "program pse m", "end program p", 1}, {1, "end program p", "", 0}, at_end}},
    {"free: a trailing & continues across blank and comment lines, the blank before it kept",
     users_continued,
     {{4, "call s(x, USERS, y)", "", 0}, at_end},
     form_free},
    {"fixed: a line from column 5 is a statement of its own",
     users_continued,
     {{3, "call s(x, &  ", "    USERS, y)", 1}, {1, "USERS, y)", "", 0}, at_end}},
    {"free: a leading & continues; with a trailing & too it is dropped once",
     "call s(a,\n   & b)\ncall t(c, &\n  &d)\n",
     {{2, "call s(a, b)", "call t(c, &", 1}, {2, "call t(c, d)", "", 0}, at_end},
     form_free},
    {"free: a first line keeps its leading &",
     "&use m\n",
     {{1, "&use m", "", 0}, at_end},
     form_free},
    {"free: lone & lines and & before a comment carry the statement on",
     "x = &\n&\n  & ! c\n y\nuse m\n",
     {{4, "x = y", "use m", 1}, {1, "use m", "", 0}, at_end},
     form_free},
    {"free: a lone & before any text is no text",
     "&\nuse m\n",
     {{2, "use m", "", 0}, at_end},
     form_free},
    {"free: a trailing & at the end of the file",
     "use m, &\n",
     {{1, "use m, ", "", 0}, at_end},
     form_free},
    {"free: text runs past column 72",
     past_72,
     {{1, "use" + std::string(70, ' ') + "m", "", 0}, at_end},
     form_free},
    {"fixed: text ends at column 72", past_72, {{1, "use" + std::string(63, ' '), "", 0}, at_end}},
    {"free: C, c and * in column 1 are text",
     column1_text,
     {{1, "Call s", "contains", 1}, {1, "contains", "*p = 1", 1}, {1, "*p = 1", "", 0}, at_end},
     form_free},
    {"fixed: C, c and * in column 1 are comments", column1_text, {{3, "", "", 0}, at_end}},
    {"free: '#' lines neither continue nor end a statement",
     "#if defined(A) && !defined(B)\nuse m\ncall s(a, &\n#else\n  b)\n#endif\nx = 1\n",
     {{2, "use m", "call s(a, &", 1}, {4, "call s(a, b)", "x = 1", 1}, {1, "x = 1", "", 0}, at_end},
     form_free},
    {"free: the pending line is the whole line as read",
     "x = 1\n\t  y = 2   ! c\n",
     {{1, "x = 1", "\t  y = 2   ! c", 1}, {1, "y = 2   ", "", 0}, at_end},
     form_free},
    {"free: CR LF line ends",
     "call s(a, &\r\n  b)\r\n",
     {{2, "call s(a, b)", "", 0}, at_end},
     form_free},
    {"free: the rest of a long line is skipped, an & in it too",
     long_free + "  &\nuse m\n",
     {{1, long_free, "use m", 1}, {1, "use m", "", 0}, at_end},
     form_free},
};

const std::string define300 = "#define L " + std::string(290, 'x') + "1";
const std::string define600 = "#define L " + std::string(590, 'x') + "1";

const reader_case c_cases[] = {
    {"empty file", "", {at_end}},
    {"three includes",
     "#include \"a.h\"\n#include \"b.h\"\n#include \"c.h\"\n",
     {{1, "#include \"a.h\"", "", 1},
      {2, "#include \"b.h\"", "", 1},
      {2, "#include \"c.h\"", "", 1},
      at_end}},
    {"three includes with CR LF",
     "#include \"a.h\"\r\n#include \"b.h\"\r\n#include \"c.h\"\r\n",
     {{1, "#include \"a.h\"", "", 1},
      {2, "#include \"b.h\"", "", 1},
      {2, "#include \"c.h\"", "", 1},
      at_end}},
    {"leading blanks dropped",
     "   #  include \"x.h\"\n",
     {{1, "#  include \"x.h\"", "", 1}, at_end}},
    {"two statements on one line",
     "int a; int b;\n",
     {{1, "int a;", " int b;", 1}, {1, "int b;", "", 1}, at_end}},
    {"terminators inside a string",
     "char *s = \"a;b{c\";\n",
     {{1, "char *s = \"a;b{c\";", "", 1}, at_end}},
    {"comment taken out before the terminator",
     "x = 1 /* c */;\n",
     {{1, "x = 1 ;", "", 1}, at_end}},
    {"worked example",
     "#include \"a.h\" /* note */\nint f(int a, /* x */\n    int b) {\n",
     {{1, "#include \"a.h\" ", "/* note */", 1}, {3, "int f(int a, int b) {", "", 1}, at_end}},
    {"a comment over two lines, then text after it",
     "/* one\ntwo */ #include \"z.h\"\nint y;\n",
     {{3, " #include \"z.h\"int y;", "", 1}, at_end}},
    {"escaped quote inside a string",
     "s = \"a\\\"b\"; t;\n",
     {{1, "s = \"a\\\"b\";", " t;", 1}, {1, "t;", "", 1}, at_end}},
    {"backslash pairs with the last quote: string stays open",
     "s = \"a\\\\\"; t;\nx\";\n",
     {{2, "s = \"a\\\\\"; t;x\";", "", 1}, at_end}},
    {"line comments", "// only a comment\nfoo(a) // c\n;\n", {{3, "foo(a) ;", "", 1}, at_end}},
    {"an unclosed block comment swallows the rest", "/* open\n#include \"a.h\"\n", {at_end}},
    {"an unclosed string at the end of the file", "char *s = \"abc\ndef\n", {at_end}},
    {"a statement without terminator at the end of the file", "int x\n", {at_end}},
    {"300 characters are read as 255 and 45",
     std::string(299, 'x') + ";\n",
     {{2, std::string(299, 'x') + ";", "", 1}, at_end}},
    {"510 characters are two pieces",
     std::string(509, 'x') + ";\ny;\n",
     {{2, std::string(509, 'x') + ";", "", 1}, {2, "y;", "", 1}, at_end}},
    {"255 characters and CR LF are one piece",
     std::string(254, 'x') + ";\r\ny;\r\n",
     {{1, std::string(254, 'x') + ";", "", 1}, {2, "y;", "", 1}, at_end}},
    {"a preprocessor line ends with its line, not at ';' or '{'",
     "#define F(x) do { x; } while (0)\n#include \"a.h\"\n",
     {{1, "#define F(x) do { x; } while (0)", "", 1}, {2, "#include \"a.h\"", "", 1}, at_end}},
    {"a backslash continues a preprocessor line",
     "#define MAX(a,b) \\\n  ((a)>(b)?(a):(b))\n#include \"x.h\"\n",
     {{2, "#define MAX(a,b) ((a)>(b)?(a):(b))", "", 1}, {2, "#include \"x.h\"", "", 1}, at_end}},
    {"a backslash continues also with CR LF",
     "#define A \\\r\n 1\r\n#include \"x.h\"\r\n",
     {{2, "#define A 1", "", 1}, {2, "#include \"x.h\"", "", 1}, at_end}},
    {"an empty continued line ends the preprocessor line",
     "#define A \\\n\n#include \"x.h\"\n#define B \\\n   \n#include \"y.h\"\n",
     {{2, "#define A ", "", 1},
      {2, "#include \"x.h\"", "", 1},
      {3, "#define B ", "", 1},
      {2, "#include \"y.h\"", "", 1},
      at_end}},
    {"a continued line holding only a comment ends the preprocessor line",
     "#define B \\\n// c\n#include \"y.h\"\n#define C \\\n/* c */\n#include \"z.h\"\n",
     {{2, "#define B ", "", 1},
      {2, "#include \"y.h\"", "", 1},
      {3, "#define C ", "", 1},
      {2, "#include \"z.h\"", "", 1},
      at_end}},
    {"a comment opened on a continued line carries it on, blank lines included",
     "#define D \\\n/* c\n\n */ 1\n#include \"w.h\"\n",
     {{4, "#define D  1", "", 1}, {2, "#include \"w.h\"", "", 1}, at_end}},
    {"a string left open carries a preprocessor line on",
     "#define S \"a;b\nc\" ; x\n",
     {{2, "#define S \"a;bc\" ; x", "", 1}, at_end}},
    {"a line holding only /* opens a comment",
     "/*\n * text; {\n */\n#include \"a.h\"\n",
     {{4, "#include \"a.h\"", "", 1}, at_end}},
    {"a remainder ending with /* opens a comment",
     "x; /*\n#include \"a.h\" */\n#include \"b.h\"\n",
     {{1, "x;", " /*", 1}, {3, "#include \"b.h\"", "", 1}, at_end}},
    {"blanks after a comment do not begin a statement",
     "/* c */ \n#include \"a.h\"\n#include \"b.h\"\n",
     {{2, "#include \"a.h\"", "", 1}, {2, "#include \"b.h\"", "", 1}, at_end}},
    {"blanks and tabs alone after a closed comment begin no statement",
     "/* a */ \t /* b */\t\n#include \"a.h\"\n",
     {{2, "#include \"a.h\"", "", 1}, at_end}},
    {"a closed comment does not cut a preprocessor line",
     "#define A /* doc */ 1\n#include \"a.h\"\n",
     {{1, "#define A  1", "", 1}, {2, "#include \"a.h\"", "", 1}, at_end}},
    {"several comments in a preprocessor line, the last one handed back",
     "#define B(x) /* a */ x /* b */ + 1 /* c */\n#include \"b.h\"\n",
     {{1, "#define B(x)  x  + 1 ", "/* c */", 1}, {2, "#include \"b.h\"", "", 1}, at_end}},
    {"a comment open at the end of a preprocessor line carries it on",
     "#define C 1 /* open\n still */ 2\n#include \"c.h\"\n",
     {{2, "#define C 1  2", "", 1}, {2, "#include \"c.h\"", "", 1}, at_end}},
    {"'//' ends a preprocessor line, also after a closed comment",
     "#define D 1 // x\n#define E /* a */ 2 // b\n#include \"e.h\"\n",
     {{1, "#define D 1 ", "// x", 1},
      {1, "#define E  2 ", "// b", 1},
      {2, "#include \"e.h\"", "", 1},
      at_end}},
    {"a #define of 300 characters is one statement",
     define300 + "\n#include \"a.h\"\n",
     {{2, define300, "", 1}, {2, "#include \"a.h\"", "", 1}, at_end}},
    {"a #define of 600 characters is one statement",
     define600 + "\n#include \"a.h\"\n",
     {{3, define600, "", 1}, {2, "#include \"a.h\"", "", 1}, at_end}},
    {"a '//' comment in a long preprocessor line runs over its pieces",
     "#include \"a.h\" //" + std::string(300, 'x') + "\n#include \"b.h\"\n",
     {{2, "#include \"a.h\" ", "", 1}, {2, "#include \"b.h\"", "", 1}, at_end}},
    {"a '//' comment runs over its pieces after a statement ended on its line",
     "int x; //" + std::string(300, 'x') + "\n#include \"a.h\"\n",
     {{1, "int x;", " //" + std::string(246, 'x'), 1}, {3, "#include \"a.h\"", "", 1}, at_end}},
    {"a '//' comment runs over its pieces inside a statement",
     "f(a, //" + std::string(300, 'x') + "\"\nb);\n#include \"a.h\"\n",
     {{3, "f(a, b);", "", 1}, {2, "#include \"a.h\"", "", 1}, at_end}},
    {"'*/' cut by the piece boundary still closes the comment",
     "/* " + std::string(251, 'x') + "*/ x;\n#include \"a.h\"\n",
     {{2, " x;", "", 1}, {2, "#include \"a.h\"", "", 1}, at_end}},
    {"'/*' cut by the piece boundary still opens a comment",
     "int a" + std::string(249, 'x') + "/* \" */;\n#include \"a.h\"\n",
     {{2, "int a" + std::string(249, 'x') + "/;", "", 1}, {2, "#include \"a.h\"", "", 1}, at_end}},
    {"'//' cut by the piece boundary still ends the line",
     "int a" + std::string(249, 'x') + "// \"\n;\n#include \"a.h\"\n",
     {{3, "int a" + std::string(249, 'x') + "/;", "", 1}, {2, "#include \"a.h\"", "", 1}, at_end}},
    {"an escaped quote cut by the piece boundary stays in the string",
     "s = \"" + std::string(249, 'x') + "\\\"x\";\n#include \"a.h\"\n",
     {{2, "s = \"" + std::string(249, 'x') + "\\\"x\";", "", 1},
      {2, "#include \"a.h\"", "", 1},
      at_end}},
    {"a character constant cut by the piece boundary goes on",
     "int a" + std::string(248, 'x') + "='\"';\n#include \"a.h\"\n",
     {{2, "int a" + std::string(248, 'x') + "='\"';", "", 1},
      {2, "#include \"a.h\"", "", 1},
      at_end}},
    {"character constants hide quotes, comments and terminators",
     "q = '\"';\nr = '\\'';\ns = ';'; t = '{';\nu = '/*';\n#define Q '\"'\n#include \"a.h\"\n",
     {{1, "q = '\"';", "", 1},
      {2, "r = '\\'';", "", 1},
      {1, "s = ';';", " t = '{';", 1},
      {1, "t = '{';", "", 1},
      {2, "u = '/*';", "", 1},
      {2, "#define Q '\"'", "", 1},
      {2, "#include \"a.h\"", "", 1},
      at_end}},
    {"a character constant not closed ends with its line",
     "x = 'a;\ny;\n",
     {{2, "x = 'a;y;", "", 1}, at_end}},
    {"a byte-order mark is not text of the first line",
     "\xEF\xBB\xBF#include \"a.h\"\n\xEF\xBB\xBFx;\n",
     {{1, "#include \"a.h\"", "", 1}, {2, "\xEF\xBB\xBFx;", "", 1}, at_end}},
    {"a byte-order mark before CR LF", "\xEF\xBB\xBF\r\n", {at_end}},
    {"the bytes of a partial mark stay text", "\xEF\xBBx;\n", {{1, "\xEF\xBBx;", "", 1}, at_end}},
    {"a NUL byte ends the line's text",
     "int a;\0 junk {\n"s + "b;\n",
     {{1, "int a;", "", 1}, {2, "b;", "", 1}, at_end}},
};

class FortranReader : public ::testing::TestWithParam<reader_case> {};
class CReader : public ::testing::TestWithParam<reader_case> {};

TEST_P(FortranReader, Calls) {
    EXPECT_EQ(read_all(1, GetParam().input, GetParam().form), GetParam().expected);
}
TEST_P(CReader, Calls) {
    EXPECT_EQ(read_all(2, GetParam().input), GetParam().expected);
}

std::string case_name(const ::testing::TestParamInfo<reader_case>& info) {
    return "case" + std::to_string(info.index);
}
INSTANTIATE_TEST_SUITE_P(Lines, FortranReader, ::testing::ValuesIn(fortran_cases), case_name);
INSTANTIATE_TEST_SUITE_P(Lines, CReader, ::testing::ValuesIn(c_cases), case_name);

// The outcome of one call that should fail, with what it wrote.
struct failed_read {
    std::vector<call> calls;
    std::string out;
    std::string err;
};

failed_read read_capturing(int lang, const std::string& text, int form = form_fixed) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    failed_read r;
    r.calls = read_all(lang, text, form);
    r.out = testing::internal::GetCapturedStdout();
    r.err = testing::internal::GetCapturedStderr();
    return r;
}

std::string continued(int cards, const std::string& text) {
    return fixed(text + "\n") + repeat("     &" + text + "\n", cards - 1);
}

TEST(FortranReaderLimits, TwoHundredCardsAndNoMore) {
    auto ok = read_capturing(1, continued(200, "+1"));
    EXPECT_EQ(ok.calls, (std::vector<call>{{200, repeat("+1", 200), "", 0}, at_end}));
    EXPECT_EQ(ok.out + ok.err, "");

    auto over = read_capturing(1, continued(201, "+1"));
    EXPECT_EQ(over.calls, (std::vector<call>{{-1, repeat("+1", 200), "", 0}}));
    EXPECT_EQ(over.out, "#ERROR#  build_read_fort  card_cnt over [200]\n");
    EXPECT_EQ(over.err, "#ERROR#  too many line in one statement\n");

    // Free form: the lines between (blank, comment, '#') count as lines but not as cards.
    const std::string between = "\n! c\n#endif\n";
    auto free_ok = read_capturing(1, repeat("+1&\n", 199) + between + "+1\n", form_free);
    EXPECT_EQ(free_ok.calls, (std::vector<call>{{203, repeat("+1", 200), "", 0}, at_end}));
    auto free_over = read_capturing(1, repeat("+1&\n", 200) + between + "+1\n", form_free);
    EXPECT_EQ(free_over.calls, (std::vector<call>{{-1, repeat("+1", 200), "", 0}}));
    EXPECT_EQ(free_over.out, over.out);
    EXPECT_EQ(free_over.err, over.err);
}

TEST(FortranReaderLimits, ThirteenThousandOneHundredNinetyNineCharacters) {
    const std::string card(66, 'a'); // columns 7 to 72
    std::string head = continued(199, card);
    auto ok = read_capturing(1, head + "     &" + std::string(65, 'a') + "\n");
    ASSERT_EQ(ok.calls.size(), 2u);
    EXPECT_EQ(ok.calls[0].rtn, 200);
    EXPECT_EQ(ok.calls[0].bun, std::string(bun_size - 1, 'a'));

    auto over = read_capturing(1, head + "     &" + card + "\n");
    EXPECT_EQ(over.calls, (std::vector<call>{{-1, std::string(13134, 'a'), "", 0}}));
    EXPECT_EQ(over.out, "#ERROR#  build_read_fort  bun length over col_st=6, col_ed=71\n"
                        "                       bun=[" +
                            std::string(13134, 'a') + "], length=13134\n");
    EXPECT_EQ(over.err, "#ERROR#  bun buffer overflow : too long statement\n");

    // Free form: 101 lines of 130 characters and '&' (a whole card each), then the rest.
    const std::string free_head = repeat(std::string(130, 'a') + "&\n", 101);
    auto free_ok = read_capturing(1, free_head + std::string(69, 'a') + "\n", form_free);
    EXPECT_EQ(free_ok.calls,
              (std::vector<call>{{102, std::string(bun_size - 1, 'a'), "", 0}, at_end}));
    auto free_over = read_capturing(1, free_head + std::string(70, 'a') + "\n", form_free);
    EXPECT_EQ(free_over.calls, (std::vector<call>{{-1, std::string(13130, 'a'), "", 0}}));
    EXPECT_EQ(free_over.out, "#ERROR#  build_read_fort  bun length over col_st=0, col_ed=69\n"
                             "                       bun=[" +
                                 std::string(13130, 'a') + "], length=13130\n");
    EXPECT_EQ(free_over.err, over.err);
}

// Statements that begin in column 7 and are never continued read alike in both forms.
TEST(FortranReader, SameStatementsFromColumnSevenInBothForms) {
    const std::string text = fixed("PROGRAM main\n") + "\n" + fixed("USE mymod   \n") +
                             fixed("X = 'C' // \"*\"\n") + fixed("INCLUDE 'a.inc'") +
                             std::string(51, ' ') + "\n" + fixed("END");
    const std::vector<call> calls = read_all(1, text, form_fixed);
    EXPECT_EQ(calls.size(), 6u);
    EXPECT_EQ(read_all(1, text, form_free), calls);
}

TEST(CReaderLimits, ThirteenThousandOneHundredNinetyNineCharacters) {
    std::string head = repeat(std::string(200, 'a') + "\n", 65);
    auto ok = read_capturing(2, head + std::string(198, 'a') + ";\n");
    EXPECT_EQ(ok.calls, (std::vector<call>{{66, std::string(13198, 'a') + ";", "", 1}, at_end}));

    auto over = read_capturing(2, head + std::string(199, 'a') + ";\n");
    EXPECT_EQ(over.calls, (std::vector<call>{{-1, std::string(13000, 'a'), "", 0}}));
    EXPECT_EQ(over.out, "#ERROR#  build_read_c  bun length over col_st=0, col_ed=199\n"
                        "                       bun=[" +
                            std::string(13000, 'a') + "], length=13000\n");
    EXPECT_EQ(over.err, "#ERROR#  bun buffer overflow : too long statement\n");
}

// An include file is read between two statements of its parent: each keeps its own state.
TEST(Readers, FileReadBetweenTwoStatementsOfAnother) {
    reader parent{temp_file(fixed("INCLUDE 'a.inc'\n") + fixed("X=1\n")), 1};
    reader child{temp_file("#include \"b.h\"\nint y;\n"), 2};
    EXPECT_EQ(parent.next(), (call{1, "INCLUDE 'a.inc'", fixed("X=1"), 1}));
    EXPECT_EQ(child.next(), (call{1, "#include \"b.h\"", "", 1}));
    EXPECT_EQ(child.next(), (call{2, "int y;", "", 1}));
    EXPECT_EQ(child.next(), at_end);
    EXPECT_EQ(parent.next(), (call{1, "X=1", "", 0}));
    EXPECT_EQ(parent.next(), at_end);
}

// A failed read is not the end of the file: -1, nothing pending, and no message.
// A directory opened as a stream is how a read is made to fail; Windows refuses the open.
#ifndef _WIN32
TEST(Readers, ReadFailureIsNotEndOfFile) {
    for (int lang : {1, 2}) {
        reader r{file_ptr(std::fopen(testing::TempDir().c_str(), "r")), lang};
        if (!r.fp) GTEST_SKIP() << "directories cannot be opened as streams here";
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        call c = r.next();
        EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(),
                  "");
        EXPECT_EQ(c.rtn, -1);
        EXPECT_EQ(c.cdstack, "");
        EXPECT_EQ(c.flg, 0);
    }
}
#endif

// Whatever the bytes, every call ends safely, statements stay within the buffer, and the
// Fortran counts add up to the physical lines.
TEST(Readers, MalformedInputNeverBreaksTheReader) {
    std::string binary;
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        binary += static_cast<char>((state >> 16) & 0xff);
    }
    const std::string inputs[] = {binary, "#define X " + std::string(100000, 'a') + "\n",
                                  fixed("X=1") + std::string(100000, 'y') + "\n",
                                  repeat("int a;", 16667) + "\n", std::string(5000, '\0')};
    for (const std::string& input : inputs) {
        for (int way : {0, 1, 2}) { // Fortran in fixed form, in free form, and C
            const int lang = way == 2 ? 2 : 1;
            auto r = read_capturing(lang, input, way == 1 ? form_free : form_fixed);
            int lines = 0;
            for (const call& c : r.calls) {
                EXPECT_LT(c.bun.size(), static_cast<size_t>(bun_size));
                EXPECT_LT(c.cdstack.size(), static_cast<size_t>(cdstack_size));
                if (c.rtn > 0) lines += c.rtn;
            }
            EXPECT_LE(r.calls.back().rtn, 0);
            if (lang == 1 && r.calls.back().rtn == 0) {
                int expected = input.back() != '\n' ? 1 : 0;
                for (char ch : input)
                    expected += ch == '\n' ? 1 : 0;
                EXPECT_EQ(lines, expected);
            }
        }
    }
}

TEST(Readers, LongFortranLineCountsOnce) {
    EXPECT_EQ(read_all(1, fixed("X=1") + std::string(100000, 'y') + "\n" + fixed("Z=2\n")),
              (std::vector<call>{
                  {1, "X=1" + std::string(63, 'y'), fixed("Z=2"), 1}, {1, "Z=2", "", 0}, at_end}));
}

struct ana_case {
    int lang;
    std::string bun;
    int bunclass;
    std::string name;
    std::string report; // the summary; the detail line follows from it
};

// The detail line repeats the summary, with two blanks before "bun=" after "not found".
std::string detail_line(const std::string& report, const std::string& bun) {
    bool not_found = report.find("not found") != std::string::npos;
    return "#ERROR#  " + report + (not_found ? "  " : " ") + "bun=[" + bun + "]\n";
}

const std::string name31(31, 'n');
const std::string name32(32, 'n');

const ana_case ana_cases[] = {
    {1, "module Geometry", 1, "Geometry", ""},
    {1, "  MODULE  m y", 1, "my", ""},
    {1, "END MODULE Geometry", 10, "", ""},
    {1, "MODULE", -1, "", "module name not found"},
    {1, "MODULE " + name31, 1, name31, ""},
    {1, "MODULE " + name32, -1, "", "too long module name"},
    {1, "MODULE PROCEDURE swap", 10, "", ""},
    {1, "module procedure :: swap", 10, "", ""},
    {1, "MODULE PURE FUNCTION f(x)", 10, "", ""},
    {1, "module integer function n(self)", 10, "", ""},
    {1, "MODULE TYPE(t) FUNCTION g()", 10, "", ""},
    {1, "module\tdouble precision function d()", 10, "", ""},
    {1, "module procedure a_long_procedure_name_of_forty_characters", 10, "", ""},
    {1, "MODULE procedure", 1, "procedure", ""},
    {1, "MODULE procedure  ", 1, "procedure", ""},
    {1, "MODULE procedures", 1, "procedures", ""},
    {1, "module function", 1, "function", ""},
    {1, "module typed", 1, "typed", ""},
    {1, "MODULEPROCEDURE swap", 1, "PROCEDUREswap", ""},
    {1, "MODULE_COUNT = 3", 10, "", ""},
    {1, "use mymod, only: a => b", 2, "mymod", ""},
    {1, "USE users", 2, "users", ""},
    {1, "USE", -1, "", "use module name not found"},
    {1, "USE " + name32, -1, "", "too long use module name"},
    {1, "USE, INTRINSIC :: iso_c_binding", 10, "", ""},
    {1, "use, intrinsic :: iso_fortran_env, only: int32", 10, "", ""},
    {1, "USE, NON_INTRINSIC :: mymod, ONLY: a", 2, "mymod", ""},
    {1, "USE :: mymod", 2, "mymod", ""},
    {1, "USE, intrinsicx :: m", -1, "", "use module name not found"},
    {1, "USE, INTRINSIC m", -1, "", "use module name not found"},
    {1, "USE ::", -1, "", "use module name not found"},
    {1, "USERS(1) = 2", 10, "", ""},
    {1, "USERS(1,ONLY:3) = 2", 10, "", ""},
    {1, "USE m, ONLY: OPERATOR(==)", 2, "m", ""},
    {1, "USE m, ONLY: ASSIGNMENT(=)", 2, "m", ""},
    {1, "use m, only : operator(/=), x", 2, "m", ""},
    {1, "USE m, x => y, z = 1", 2, "m", ""}, // only the first '=' is looked at
    {1, "SUBMODULE (ancestor) child", 2, "ancestor", ""},
    {1, "submodule (anc:parent) child", 2, "anc", ""},
    {1, "SUBMODULE () child", -1, "", "use module name not found"},
    {1, "SUBMODULE (anc child", -1, "", "use module name not found"},
    {1, "SUBMODULE (" + name32 + ") child", -1, "", "too long use module name"},
    {1, "submodule_count = 1", 10, "", ""},
    {1, "END SUBMODULE child", 10, "", ""},
    {1, "INCLUDE 'my file.inc'", 3, "myfile.inc", ""},
    {1, "include \"defs.h\" extra", 3, "defs.h", ""},
    {1, "INCLUDE defs.h", -1, "", "delemiter not found in include statement"},
    {1, "INCLUDE", -1, "", "delemiter not found in include statement"},
    {1, "INCLUDE 'defs.h", -1, "", "delimiter not found in include statement"},
    {1, "INCLUDE ''", -1, "", "include file name not found"},
    {1, "INCLUDE '" + std::string(122, 'a') + "'", 3, std::string(122, 'a'), ""},
    {1, "INCLUDE '" + std::string(123, 'a') + "'", -1, "",
     "delimiter not found in include statement"},
    {1, "PROGRAM main", 5, "main", ""},
    {1, "PROGRAM", -1, "", "program name not found"},
    {1, "PROGRAM " + name32, -1, "", "too long program name"},
    {1, "PROGRAM_ID = 4", 10, "", ""},
    {1, "USE m" + std::string(130, ' ') + "=1", 2, "m", ""},
    {1, "", 10, "", ""},
    {1, "#include \"x.h\"", 10, "", ""},
    {2, "#include \"util.h\"", 3, "util.h", ""},
    {2, "#  include \"util.h\"", 3, "util.h", ""},
    {2, "# include \"util.h\" /* x */", 3, "util.h", ""},
    {2, "#include \"my file.h\"", 3, "myfile.h", ""},
    {2, "#include <stdio.h>", 10, "", ""},
    {2, "#include HEADER_H", 10, "", ""},
    {2, "#INCLUDE \"util.h\"", 10, "", ""},
    {2, "#import \"util.h\"", 10, "", ""},
    {2, "#define X \"a\"", 10, "", ""},
    {2, "int x;", 10, "", ""},
    {2, "", 10, "", ""},
    {2, "#include \"util.h", -1, "", "delimiter not found in include statement"},
    {2, "#include \"\"", -1, "", "include file name not found"},
    {2, "#include \"" + std::string(131, 'a') + "\"", 3, std::string(131, 'a'), ""},
    {2, "#include \"" + std::string(132, 'a') + "\"", -1, "", "too long include file name"},
    {2, "#include \"" + std::string(247, 'a') + "\"", -1, "",
     "delimiter not found in include statement"},
    {7, "#include \"util.h\"", 3, "util.h", ""},
    {1, "INCLUDE 'a.inc'", 3, "a.inc", ""},
};

void PrintTo(const ana_case& c, std::ostream* os) {
    *os << c.lang << " [" << c.bun << "]";
}

class Analysers : public ::testing::TestWithParam<ana_case> {};

TEST_P(Analysers, ClassNameAndReport) {
    const ana_case& c = GetParam();
    char name[name_size] = "stale";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int bunclass = mprc_anabun(c.lang, c.bun.c_str(), name);
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(bunclass, c.bunclass);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(out, c.report.empty() ? "" : detail_line(c.report, c.bun));
    EXPECT_EQ(err, c.report.empty() ? "" : "#ERROR#  " + c.report + "\n");
}

std::string ana_name(const ::testing::TestParamInfo<ana_case>& info) {
    return "case" + std::to_string(info.index);
}
INSTANTIATE_TEST_SUITE_P(Statements, Analysers, ::testing::ValuesIn(ana_cases), ana_name);

} // namespace
