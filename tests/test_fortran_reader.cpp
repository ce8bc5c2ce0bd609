// The Fortran statement reader, fixed and free form: every call's result, statement, pending
// line and flag.
#include "reader_fixture.hpp"

using namespace std::string_literals;

namespace {

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
    {"free: a lone & on a first line is a trailing &, so the next line's leading & is no text",
     "&\n&use m\n",
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
    {"fixed: '#' lines neither continue nor end a statement",
     fixed("CALL S(A,\n") + "#ifdef X\n" + "     &  B)\n#else\n" + fixed("Y=2\n") + "#endif\n",
     {{4, "CALL S(A,  B)", fixed("Y=2"), 1}, {2, "Y=2", "", 0}, at_end}},
    {"fixed: #include \"name\" is a statement of one line, the text from the '#' on",
     "#include \"a.inc\"  ! x\n" + fixed("X=1\n") + "#  include\t\"b.inc\"\n" +
         "#include <c.h>\nC comment\n" + fixed("Y=2\n"),
     {{1, "#include \"a.inc\"  ! x", fixed("X=1"), 1},
      {1, "X=1", "#  include\t\"b.inc\"", 1},
      {3, "#  include\t\"b.inc\"", fixed("Y=2"), 1},
      {1, "Y=2", "", 0},
      at_end}},
    {"free: #include \"name\" is a statement; inside a statement continued by & it is none",
     "  #include \"a.inc\"\n     &  x\ncall s(a, &\n#include \"b.inc\"\n  b)\n#include \"c\n",
     {{1, "#include \"a.inc\"", "     &  x", 1},
      {1, "&  x", "call s(a, &", 1},
      {4, "call s(a, b)", "", 0},
      at_end},
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

class FortranReader : public ::testing::TestWithParam<reader_case> {};

TEST_P(FortranReader, Calls) {
    EXPECT_EQ(read_all(lang_fortran, GetParam().input, GetParam().form), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Lines, FortranReader, ::testing::ValuesIn(fortran_cases), case_name);

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

} // namespace
