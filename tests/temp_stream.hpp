// A temporary file open for reading and writing, gone once it is closed.
#pragma once

#include <cstdio>

#ifdef _WIN32
#include <filesystem>
#include <process.h>
#include <string>
#endif

inline std::FILE* temp_stream() {
#ifdef _WIN32
    // The C runtime's tmpfile names its files from a counter that starts alike in every
    // process, so two test programs run side by side can reach for the same name and one of
    // them gets no file. A name with the process's own number avoids that; "D" removes the
    // file when it is closed.
    static unsigned counter = 0;
    const std::string name =
        "zelkov-" + std::to_string(_getpid()) + "-" + std::to_string(counter++) + ".tmp";
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    return std::fopen(path.c_str(), "w+bD");
#else
    return std::tmpfile();
#endif
}
