// Both statement readers: files read in turn, read failures, and any bytes at all.
#include "reader_fixture.hpp"

using namespace std::string_literals;

namespace {

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
        captured_output streams;
        call c = r.next();
        EXPECT_EQ(streams.take_out() + streams.take_err(), "");
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

} // namespace
