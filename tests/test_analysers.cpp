// The statement analysers: class, name and report of each statement.
#include "captured_output.hpp"
#include "codes.hpp"
#include "lang.hpp"
#include "limits.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

namespace {

struct ana_case {
    int lang;
    std::string bun;
    int bunclass;
    std::string name;
    std::string report; // the summary; the detail line follows from it
    int name_max = unit_name_max;
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
    // A longer name allowed by the run: accepted up to it, refused past it.
    {1, "USE " + std::string(63, 'u'), 2, std::string(63, 'u'), "", 63},
    {1, "submodule (" + std::string(41, 'a') + ") s", -1, "", "too long use module name", 40},
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
    // A pointer assignment ("=>" before the first comma) is no keyword statement.
    {1, "use_alt_axes_ => use_alt_axes", 10, "", ""},
    {1, "module_p => q", 10, "", ""},
    {1, "programs_p => t", 10, "", ""},
    {1, "p%use => x", 10, "", ""},
    {1, "include_p => x", 10, "", ""},
    {1, "USE m, a => b", 2, "m", ""},
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
    {1, "#include \"a.inc\"", 3, "a.inc", ""}, // as INCLUDE 'a.inc'
    {1, "#include \"a.inc", 10, "", ""},       // not closed: no preprocessor line is a fault
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

// The statement as a test listing shows it: its first 40 characters, other bytes than
// printable ASCII written as \xNN.
void PrintTo(const ana_case& c, std::ostream* os) {
    static constexpr char hex[] = "0123456789abcdef";
    *os << (c.lang == lang_fortran ? "fortran [" : "c [");
    for (unsigned char ch : c.bun.substr(0, 40)) {
        if (ch >= ' ' && ch < 0x7f)
            *os << ch;
        else
            *os << "\\x" << hex[ch >> 4] << hex[ch & 0xf];
    }
    *os << (c.bun.size() > 40 ? "...]" : "]");
}

class Analysers : public ::testing::TestWithParam<ana_case> {};

TEST_P(Analysers, ClassNameAndReport) {
    const ana_case& c = GetParam();
    char name[name_size] = "stale";
    captured_output streams;
    int bunclass = mprc_anabun(c.lang, c.bun.c_str(), name, c.name_max);
    std::string out = streams.take_out();
    std::string err = streams.take_err();
    EXPECT_EQ(bunclass, c.bunclass);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(out, c.report.empty() ? "" : detail_line(c.report, c.bun));
    EXPECT_EQ(err, c.report.empty() ? "" : "#ERROR#  " + c.report + "\n");
}

// A test name made of the language, the statement's first letters and digits (words joined
// by '_') and the row number, which tells apart statements alike in their first characters.
std::string ana_name(const ::testing::TestParamInfo<ana_case>& info) {
    std::string name = info.param.lang == lang_fortran ? "fortran_" : "c_";
    for (char c : info.param.bun.substr(0, 32)) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
        else if (name.back() != '_')
            name += '_';
    }
    if (name.back() != '_') name += '_';
    return name + std::to_string(info.index);
}
INSTANTIATE_TEST_SUITE_P(Statements, Analysers, ::testing::ValuesIn(ana_cases), ana_name);

} // namespace
