// What the processing of a file reports when it fails, on both streams.
#include "scan_harness.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct report_case {
    const char* title;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> sources; // file names in the tree's root
    std::string out;                  // expected standard output; @ stands for the root
    std::string err;
};

// Shown by the test listing in place of the case's bytes.
void PrintTo(const report_case& c, std::ostream* os) {
    *os << c.title;
}

std::string with_root(std::string s, const std::string& root) {
    for (std::size_t at; (at = s.find('@')) != std::string::npos;)
        s.replace(at, 1, root);
    return s;
}

const report_case report_cases[] = {
    {"no dot",
     {{"prog", ""}},
     {"prog"},
     "#ERROR#  invalid source type [prog] \n",
     "#ERROR#  invalid source type\n"},
    {"first dot followed by another letter",
     {{"a.b.f", ""}},
     {"a.b.f"},
     "#ERROR#  invalid source type [a.b.f] \n",
     "#ERROR#  invalid source type\n"},
    {"missing source",
     {},
     {"gone.f"},
     "#ERROR#  build_file  not exist source file [@\\gone.f]\n",
     "#ERROR#  not exist source file [@\\gone.f]\n"},
    {"directory named as source",
     {{"d.f/x", ""}},
     {"d.f"},
     " #ERROR#  build_file  invalid filetype @\\d.f\n",
     "#ERROR#  invalid filetype @\\d.f\n"},
    {"faulty statement ends the file",
     {{"a.f", "      USE\n"}},
     {"a.f"},
     "#ERROR#  use module name not found  bun=[USE]\n",
     "#ERROR#  use module name not found\n"},
    {"first failing file ends the run",
     {{"a.f", "      PROGRAM\n"}},
     {"a.f", "gone.f"},
     "#ERROR#  program name not found  bun=[PROGRAM]\n",
     "#ERROR#  program name not found\n"},
};

struct FileReports : ::testing::TestWithParam<report_case> {};

TEST_P(FileReports, BothStreams) {
    const report_case& c = GetParam();
    tree t;
    for (const auto& [name, text] : c.files)
        t.write(name, text);
    scan_setup r;
    for (const std::string& s : c.sources)
        r.source(t.dir(), s);
    EXPECT_EQ(r.go(), -1);
    EXPECT_EQ(r.out, with_root(c.out, t.dir()));
    EXPECT_EQ(r.err, with_root(c.err, t.dir()));
}

INSTANTIATE_TEST_SUITE_P(Scan, FileReports, ::testing::ValuesIn(report_cases),
                         [](const auto& info) { return readable_name(info.param.title); });

TEST(Scan, ReadErrorNamesTheLineWhereTheStatementBegins) {
    tree t;
    std::string text = "      A = 1\n      B = 2\nC comment\n      D = 4\n      E = 5\n";
    for (int i = 0; i < 200; ++i)
        text += "     &  + 1\n";
    t.write("a.f", text);
    scan_setup r;
    r.source(t.dir(), "a.f");
    EXPECT_EQ(r.go(), -1);
    const std::string tail =
        "#ERROR#  build_file  read error  source=[" + t.dir() + "\\a.f], line 5 or after\n";
    ASSERT_GE(r.out.size(), tail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
    EXPECT_NE(r.err.find("#ERROR#  error occurs while source inpur\n"), std::string::npos);
}

TEST(Scan, ReportPathIsCutToKeepTheClosingBracket) {
    tree t;
    scan_setup r;
    std::string name(511 - t.dir().size() - 1, 'x');
    name.replace(name.size() - 2, 2, ".f");
    r.source(t.dir(), name);
    EXPECT_EQ(r.go(), -1);
    const std::string text = "not exist source file [" + t.dir() + "\\" + name;
    EXPECT_EQ(r.err, "#ERROR#  " + text.substr(0, 510) + "]\n");
}

} // namespace
