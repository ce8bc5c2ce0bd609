// The scan's tests: small trees written into a directory of each test's own, and the argument,
// name and project tables that the driver would fill for them.
#pragma once

#include "captured_output.hpp"
#include "run_binary.hpp"
#include "scan.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A fresh temporary directory for one test (so that tests may run in parallel), removed
// with all it holds.
struct tree {
    temp_dir tmp;
    fs::path root = tmp.path;
    void write(const std::string& rel, const std::string& text) const { tmp.write(rel, text); }
    // The directory as the driver stores it: backslashes as separators.
    std::string dir(const std::string& rel = "") const {
        std::string s = (rel.empty() ? root : root / rel).string();
        for (char& c : s)
            if (c == '/') c = '\\';
        return s;
    }
};

// The argument and name tables as the driver would fill them, the project tables, and what
// the scan wrote.
struct scan_setup {
    static constexpr int width = 600;
    std::vector<char> incdir, srcdir, srcfil;
    int inc_last = -1, src_last = -1, fil_last = -1;
    std::vector<argtab_row> args;
    int mode = -1, current_inc = -1;
    capacities cap; // the tables' capacities for the next go
    project p;
    project_storage tables;
    scan_storage scan;
    srctab_row* srctab = nullptr;
    inctab_row* inctab = nullptr;
    refinctab_row* refinctab = nullptr;
    modtab_row* modtab = nullptr;
    rmodtab_row* rmodtab = nullptr;
    std::string out, err;

    scan_setup() : incdir(width * 64), srcdir(width * 64), srcfil(width * 64) {}

    static int find_or_add(std::vector<char>& t, int& last, const std::string& s) {
        for (int i = 0; i <= last; ++i)
            if (s == &t[i * width]) return i;
        ++last;
        std::snprintf(&t[last * width], width, "%s", s.c_str());
        return last;
    }
    void include_dir(const std::string& d) {
        mode = 1;
        current_inc = find_or_add(incdir, inc_last, d);
        args.push_back({int(args.size()) + 1, 1, current_inc, -1, -1});
    }
    void bare_include() {
        mode = -1;
        args.push_back({int(args.size()) + 1, -1, -1, -1, -1});
    }
    void source(const std::string& dir, const std::string& file) {
        int inc = mode == 1 ? current_inc : find_or_add(incdir, inc_last, dir);
        int sd = find_or_add(srcdir, src_last, dir);
        ++fil_last;
        std::snprintf(&srcfil[fil_last * width], width, "%s", file.c_str());
        args.push_back({int(args.size()) + 1, 2, inc, sd, fil_last});
    }
    // Runs build on the arguments, on fresh tables taken at cap as the driver takes them; both
    // streams are kept in out and err.
    int go() {
        p = project{};
        p.cap = cap;
        if (!take_project(p, tables) || !take_scan(scan, cap.mxinc)) return -2;
        srctab = p.srctab;
        inctab = p.inctab;
        refinctab = p.refinctab;
        modtab = p.modtab;
        rmodtab = p.rmodtab;
        captured_output streams;
        int rc = build(int(args.size()), args.data(), width, incdir.data(), width, srcdir.data(),
                       width, srcfil.data(), p, scan);
        out = streams.take_out();
        err = streams.take_err();
        return rc;
    }
    std::vector<std::string> includes_of(int row) const {
        std::vector<std::string> names;
        const srctab_row& s = srctab[row];
        for (int k = 0; k < s.rinc_cnt; ++k)
            names.push_back(s.rinc1[k].include->name);
        return names;
    }
    std::vector<std::string> modules_of(int row) const {
        std::vector<std::string> names;
        const srctab_row& s = srctab[row];
        for (int k = 0; k < s.rmod_cnt; ++k)
            names.push_back(s.rmod1[k].module->name);
        return names;
    }
};

using names = std::vector<std::string>;

// Test-name text for a title: letters and digits kept, every other run of characters one '_'.
inline std::string readable_name(const char* title) {
    std::string name;
    for (const char* c = title; *c != '\0'; ++c) {
        const bool word =
            (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
        if (word)
            name += *c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    return name;
}
