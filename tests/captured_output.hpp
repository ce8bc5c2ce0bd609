// The tool's out and err streams pointed at temporary files while a test runs the routines
// under test, and read back afterwards.
#pragma once

#include "output.hpp"
#include "temp_stream.hpp"

#include <cstdio>
#include <string>

struct captured_output {
    std::FILE* out = temp_stream();
    std::FILE* err = temp_stream();

    captured_output() { set_streams(out, err); }
    ~captured_output() {
        set_streams(nullptr, nullptr);
        std::fclose(out);
        std::fclose(err);
    }
    captured_output(const captured_output&) = delete;
    captured_output& operator=(const captured_output&) = delete;

    // What each stream has received since the last take; the next writes go to a fresh file.
    std::string take_out() { return take(out); }
    std::string take_err() { return take(err); }

  private:
    std::string take(std::FILE*& fp) {
        std::FILE* used = fp;
        fp = temp_stream();
        set_streams(out, err); // what was gathered for the old one reaches it first
        std::fflush(used);
        std::rewind(used);
        std::string text;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, used)) > 0)
            text.append(buf, n);
        std::fclose(used);
        return text;
    }
};
