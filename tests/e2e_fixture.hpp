// The end-to-end tests' fixture: a directory of each test's own, the program run in it, and
// the texts that several tests expect.
#pragma once

#include "run_binary.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// The usage text, as every run that shows it writes it to standard error.
inline const std::string usage_text =
    "  Usage:\n"
    "  zelkov   [options] [-Idirectry] source-file [ [-Idirectry] source-file ..]\n"
    "\n"
    "  options      :Table size options. 999 means maximum number of each elements.\n"
    "                 '-mxsrc999', '-mxinc999', '-mxrinc999', '-mxmod999'\n"
    "                 or '-mxrmod999'.\n"
    "  -Idirectry   :The directry name of include files.\n"
    "                 This option affects source files untill other -I option\n"
    "                 is specified. If no directry name specified (only -I),\n"
    "                 the directry of include files is reset to the same directry\n"
    "                 of a source file.\n"
    "                 If any -I option is not specified,directries of include files\n"
    "                 are assumed to be the same directries of source files.\n"
    "  source-file   :Source file of program in Fortran or C.\n"
    "                 Source file name can contains wildcard characters '*' or '?'.\n"
    "                 '*' means any character string. '?' means any one character.\n"
    "\n";

inline const std::string program_f = "      PROGRAM MAIN\n      END\n";

inline std::string joined(const std::vector<std::string>& args) {
    std::string all;
    for (const std::string& a : args)
        all += "[" + a + "]";
    return all;
}

struct E2eTest : ::testing::Test {
    temp_dir dir;
    void SetUp() override {
        ASSERT_FALSE(zelkov_bin().empty()) << "ZELKOV_BIN is not set";
        ASSERT_FALSE(dir.path.empty());
    }
    run_result run(const std::vector<std::string>& args, const char* stdout_path = nullptr) {
        return run_zelkov(dir.str(), args, stdout_path);
    }
};

// The makefile of Fortran sources in one directory, without -I: the executable's name, and per
// source in command-line order its name and the prerequisites after the source itself.
inline std::string
fortran_makefile(const std::string& exe,
                 const std::vector<std::pair<std::string, std::string>>& sources) {
    auto object = [](const std::string& src) {
        return "\"$(OBJDIR)\\" + src.substr(0, src.rfind('.')) + ".obj\"";
    };
    std::string clean, objs, rules;
    for (const auto& [src, prereqs] : sources) {
        clean += "\t-@$(ERASEOBJ) " + object(src) + "\n";
        objs += " \\\n\t" + object(src);
        rules += object(src) + " : \"$(SRCDIR)\\" + src + "\"" + prereqs + "\n\t$(FC) /c /Fo" +
                 object(src) + " /module:\"$(OBJDIR)\\\"  $(FFLAGS) \"$(SRCDIR)\\" + src + "\"\n\n";
    }
    return "CC=cl.exe\nCFLAGS=\nFC=df.exe\nFFLAGS=\nLD=cl.exe\nLDFLAGS=\n\nERASEOBJ=erase\n\nEXE=" +
           exe + "\nOBJDIR=.\nINCDIR=.\nSRCDIR=.\n\nALL : \"$(EXE)\"\n\nCLEAN :\n" + clean +
           "\t-@$(ERASEOBJ) \"$(EXE)\"\n\nOBJS=" + objs +
           "\n\n\"$(EXE)\" : $(OBJS)\n\t$(LD) -o \"$(EXE)\" $(LDFLAGS) $(OBJS)\n\n" + rules;
}
