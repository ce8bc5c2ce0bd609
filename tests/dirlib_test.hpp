// What the directory library's tests share: a directory of their own per test, blank-padded
// fields, the library's reports read back, and a scan read to its end.
#pragma once

#include "dirlib.hpp"
#include "temp_stream.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace dirlib_test {

inline std::FILE* report_file = nullptr;

// Sends the library's reports from here on into a temporary file of their own.
inline void capture_reports() {
    set_dirlib_reports(report_file = temp_stream());
}

// The reports written since capture_reports; later ones go to standard output again.
inline std::string captured_reports() {
    set_dirlib_reports(nullptr);
    if (report_file == nullptr) return "(no temporary file for the reports)";
    std::string text;
    std::rewind(report_file);
    for (int c; (c = std::fgetc(report_file)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(report_file);
    return text;
}

// s filled with blanks to width, as a blank-padded field.
inline std::string pad(const std::string& s, std::size_t width) {
    return s + std::string(width > s.size() ? width - s.size() : 0, ' ');
}

// Creates or overwrites the file p with text.
inline void touch(const fs::path& p, const std::string& text = "x") {
    std::ofstream(p) << text;
}

// The whole text of the file p.
inline std::string slurp(const fs::path& p) {
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct scan_item {
    std::string name;
    int itype;
};

// Every test works in a directory of its own and leaves the scan slot closed.
class DirlibTest : public testing::Test {
  protected:
    fs::path dir;

    void SetUp() override {
        static int serial = 0;
        dir = fs::temp_directory_path() /
              ("zk_dirlib_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string at(const std::string& name) const { return (dir / name).string(); }

    // Scans pattern and reads the list to its silent end; the slot is closed afterwards.
    std::vector<scan_item> scan(const std::string& pattern, int buflen = 512) {
        std::vector<scan_item> items;
        int ierror = 0, dirlen = 0, itype = 0, namelen = 0;
        std::string dirbuf(pattern.size(), '#');
        opndir(ierror, 0, static_cast<int>(pattern.size()), pattern.data(), dirlen, dirbuf.data(),
               0);
        EXPECT_EQ(ierror, 0) << pattern;
        if (ierror != 0) return items;
        std::string name(static_cast<std::size_t>(buflen), '#');
        for (;;) {
            rddir(ierror, 0, buflen, itype, namelen, name.data());
            if (ierror != 0) break;
            items.push_back({name.substr(0, static_cast<std::size_t>(namelen)), itype});
        }
        EXPECT_EQ(itype, itype_none);
        clsdir(ierror, 0);
        EXPECT_EQ(ierror, 0);
        return items;
    }
};

} // namespace dirlib_test

using namespace dirlib_test;
