// What the reader tests share: a file made of a text, the reading state of one open file as
// its caller keeps it, and every call's result, statement, pending line and flag.
#pragma once

#include "captured_output.hpp"
#include "codes.hpp"
#include "lang.hpp"
#include "limits.hpp"
#include "temp_stream.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

struct file_closer {
    void operator()(std::FILE* fp) const { std::fclose(fp); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

inline file_ptr temp_file(const std::string& text) {
    file_ptr fp(temp_stream());
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

inline void PrintTo(const call& c, std::ostream* os) {
    *os << "{" << c.rtn << ", \"" << c.bun << "\", \"" << c.cdstack << "\", " << c.flg << "}";
}

// The reading state of one open file, as its caller keeps it.
struct reader {
    reader(file_ptr file, int language, int source_form = form_fixed)
        : fp(std::move(file)), lang(language), form(source_form) {
        text_open(in, fp.get(), block, sizeof block);
    }
    file_ptr fp;
    char block[text_block_min]; // the smallest block, as deep include levels have
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
inline std::vector<call> read_all(int lang, const std::string& text, int form = form_fixed) {
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

inline const call at_end{0, "", "", 0};

inline std::string fixed(const std::string& text) {
    return "      " + text;
}
inline std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// The outcome of one call that should fail, with what it wrote.
struct failed_read {
    std::vector<call> calls;
    std::string out;
    std::string err;
};

inline failed_read read_capturing(int lang, const std::string& text, int form = form_fixed) {
    captured_output streams;
    failed_read r;
    r.calls = read_all(lang, text, form);
    r.out = streams.take_out();
    r.err = streams.take_err();
    return r;
}

inline void PrintTo(const reader_case& c, std::ostream* os) {
    *os << c.title;
}

// A test name made of the case's title: its letters and digits, words joined by '_'.
inline std::string title_name(const std::string& title) {
    std::string name;
    for (char c : title) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    return name;
}
inline std::string case_name(const ::testing::TestParamInfo<reader_case>& info) {
    return title_name(info.param.title);
}
