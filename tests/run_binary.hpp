// Running the real zelkov binary from end-to-end tests: no shell between the test and the
// program, so arguments arrive exactly as written (backslashes, '*', '?', blanks included).
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    return text;
}

#ifdef _WIN32
// Standard output and error are text streams on Windows: every "\n" arrives as "\r\n". The
// tests compare the text the program meant to write, so the line ends are folded back.
inline std::string fold_crlf(const std::string& text) {
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) folded += text[i];
    return folded;
}

// One argument quoted so that the C runtime's command-line parser gives it back unchanged.
inline void append_quoted(std::string& line, const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
        line += arg;
        return;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them.
        line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, '\\');
    line += '"';
}

// A temporary file the child can inherit, removed when the last handle to it closes.
inline HANDLE temp_handle() {
    char dir[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    if (GetTempPathA(sizeof dir, dir) == 0 || GetTempFileNameA(dir, "zk", 0, name) == 0)
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

inline std::string read_handle(HANDLE h) {
    std::string text;
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0)
        text.append(buf, n);
    return fold_crlf(text);
}
#endif

} // namespace run_binary_detail

#ifdef _WIN32
// Runs program with args (argv[1] onwards) in directory cwd and collects its exit status and
// both streams, line ends folded to "\n". When stdout_path is given, standard output goes to
// that file instead and out stays empty.
inline run_result run_binary(const std::string& program, const std::string& cwd,
                             const std::vector<std::string>& args,
                             const char* stdout_path = nullptr) {
    using namespace run_binary_detail;
    run_result r;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr);
    HANDLE out = stdout_path != nullptr
                     ? CreateFileA(stdout_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherit, OPEN_EXISTING, 0, nullptr)
                     : temp_handle();
    HANDLE err = temp_handle();
    if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
        std::string line;
        append_quoted(line, program);
        for (const std::string& a : args) {
            line += ' ';
            append_quoted(line, a);
        }
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = in;
        si.hStdOutput = out;
        si.hStdError = err;
        PROCESS_INFORMATION pi{};
        if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                           cwd.c_str(), &si, &pi)) {
            WaitForSingleObject(pi.hProcess, INFINITE);
            DWORD code = 0;
            if (GetExitCodeProcess(pi.hProcess, &code)) r.status = static_cast<int>(code);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            if (stdout_path == nullptr) r.out = read_handle(out);
            r.err = read_handle(err);
        } else {
            r.err = "run_binary: CreateProcess failed";
        }
    } else {
        r.err = "run_binary: no temporary file";
    }
    for (HANDLE h : {in, out, err})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return r;
}
#else
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
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
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
        if (WIFEXITED(wstatus))
            r.status = WEXITSTATUS(wstatus);
        else if (WIFSIGNALED(wstatus))
            r.status = 128 + WTERMSIG(wstatus);
        r.out = run_binary_detail::read_all(out);
        r.err = run_binary_detail::read_all(err);
    } else {
        r.err = "run_binary: fork failed";
    }
    std::fclose(out);
    std::fclose(err);
    return r;
}
#endif

// The zelkov binary in cwd.
inline run_result run_zelkov(const std::string& cwd, const std::vector<std::string>& args,
                             const char* stdout_path = nullptr) {
    return run_binary(zelkov_bin(), cwd, args, stdout_path);
}

// A fresh directory under the system's temporary directory, removed with all it holds.
struct temp_dir {
    std::filesystem::path path;
    temp_dir() {
#ifdef _WIN32
        // A name of our own: the process number and a counter, skipping names in use.
        static unsigned serial = 0;
        std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 1000 && path.empty(); ++attempt) {
            std::filesystem::path p = base / ("zelkov-" + std::to_string(GetCurrentProcessId()) +
                                              "-" + std::to_string(++serial));
            std::error_code ec;
            if (std::filesystem::create_directory(p, ec)) path = p;
        }
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "zelkov-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path = pattern;
#endif
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
    std::string str() const {
        return path.string();
    }
};
