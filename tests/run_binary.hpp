// Running the real zelkov binary from end-to-end tests: no shell between the test and the
// program, so arguments arrive exactly as written (backslashes, '*', '?', blanks included).
#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

struct run_result {
    int status = -1; // exit status; 128 + signal number when the program was killed
    std::string out;
    std::string err;
};

// The binary under test, from ZELKOV_BIN; empty when the variable is not set.
inline std::string zelkov_bin() {
    const char* bin = std::getenv("ZELKOV_BIN");
    return bin != nullptr ? std::filesystem::absolute(bin).string() : std::string();
}

namespace run_binary_detail {

inline std::string read_all(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    return text;
}

} // namespace run_binary_detail

// Runs program with args (argv[1] onwards) in directory cwd and collects its exit status and
// both streams. When stdout_path is given, standard output goes to that file instead (for
// instance /dev/full) and out stays empty.
inline run_result run_binary(const std::string& program, const std::string& cwd,
                             const std::vector<std::string>& args,
                             const char* stdout_path = nullptr) {
    run_result r;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) {
        if (out != nullptr) std::fclose(out);
        if (err != nullptr) std::fclose(err);
        r.err = "run_binary: no temporary file";
        return r;
    }
    // Built before fork: the child only calls async-signal-safe functions.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int out_fd = fileno(out);
        if (stdout_path != nullptr) out_fd = open(stdout_path, O_WRONLY);
        int null_fd = open("/dev/null", O_RDONLY);
        if (out_fd < 0 || null_fd < 0 || chdir(cwd.c_str()) != 0 || dup2(null_fd, 0) < 0 ||
            dup2(out_fd, 1) < 0 || dup2(fileno(err), 2) < 0)
            _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (pid > 0) {
        int wstatus = 0;
        while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
        else if (WIFSIGNALED(wstatus)) r.status = 128 + WTERMSIG(wstatus);
        r.out = run_binary_detail::read_all(out);
        r.err = run_binary_detail::read_all(err);
    } else {
        r.err = "run_binary: fork failed";
    }
    std::fclose(out);
    std::fclose(err);
    return r;
}

// The zelkov binary in cwd.
inline run_result run_zelkov(const std::string& cwd, const std::vector<std::string>& args,
                             const char* stdout_path = nullptr) {
    return run_binary(zelkov_bin(), cwd, args, stdout_path);
}

// A fresh directory under the system's temporary directory, removed with all it holds.
struct temp_dir {
    std::filesystem::path path;
    temp_dir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelkov-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~temp_dir() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    // Writes text into the file at rel (directories created as needed); returns its path.
    std::filesystem::path write(const std::string& rel, const std::string& text) const {
        std::filesystem::path file = path / rel;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    std::string str() const { return path.string(); }
};
