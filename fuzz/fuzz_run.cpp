// Fuzz target: a whole run of the program in this process. The input's first line chooses
// the arguments; the rest, split at "\n%%\n", becomes up to four files in a scratch
// directory. The target checks the result and every makefile line the run wrote.
#include "driver.hpp"
#include "fuzz_check.hpp"
#include "limits.hpp"
#include "output.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* file_names[] = {"a.f", "b.f90", "c.c", "x.inc", "h.h"};
constexpr int max_files = 4;
constexpr int max_args = 16;
constexpr std::string_view separator = "\n%%\n";

// The scratch area, made once per process: work/ is the run's working directory (with
// work/inc for include files), out.txt outside it catches standard output. The process's own
// working directory is restored after each run: the fuzzer reads its corpus by relative path.
struct scratch {
    std::string base;
    std::string work;
    std::string out;
    ~scratch();
};

void remove_files();

const scratch& scratch_area() {
    static scratch s = [] {
        scratch made;
        char pattern[] = "/tmp/zelkov-fuzz-XXXXXX";
        fuzz_require(mkdtemp(pattern) != nullptr, "mkdtemp");
        made.base = pattern;
        made.out = made.base + "/out.txt";
        made.work = made.base + "/work";
        fuzz_require(mkdir(made.work.c_str(), 0700) == 0 &&
                         mkdir((made.work + "/inc").c_str(), 0700) == 0,
                     "mkdir");
        return made;
    }();
    return s;
}

scratch::~scratch() {
    if (base.empty() || chdir(work.c_str()) != 0) return;
    remove_files();
    rmdir((base + "/work/inc").c_str());
    rmdir((base + "/work").c_str());
    unlink(out.c_str());
    rmdir(base.c_str());
}

int name_index(unsigned char c) {
    switch (c | 0x20) {
    case 'a':
        return 0;
    case 'b':
        return 1;
    case 'c':
        return 2;
    case 'x':
        return 3;
    case 'h':
        return 4;
    default:
        return c % 5;
    }
}

void remove_files() {
    for (const char* n : file_names) {
        unlink(n);
        unlink((std::string("inc/") + n).c_str());
    }
}

// A part's first byte picks the file: its name by the letter, the include directory when the
// letter is upper case (or the byte is above 127).
void write_part(std::string_view part) {
    if (part.empty()) return;
    unsigned char sel = static_cast<unsigned char>(part[0]);
    std::string path = (sel >= 'A' && sel <= 'Z') || sel >= 0x80 ? "inc/" : "";
    path += file_names[name_index(sel)];
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    fuzz_require(fd >= 0, "create input file");
    part.remove_prefix(1);
    while (!part.empty()) {
        ssize_t n = write(fd, part.data(), part.size());
        fuzz_require(n > 0, "write input file");
        part.remove_prefix(static_cast<std::size_t>(n));
    }
    close(fd);
}

// One header byte, and for the table-size option the two after it, as arguments.
std::size_t add_argument(std::string_view head, std::size_t i, std::vector<std::string>& args) {
    static constexpr const char* options[] = {"-mxsrc", "-mxinc", "-mxrinc", "-mxmod", "-mxrmod"};
    char c = head[i];
    switch (c) {
    case 'a':
    case 'b':
    case 'c':
    case 'x':
    case 'h':
        args.emplace_back(file_names[name_index(static_cast<unsigned char>(c))]);
        break;
    case 'A':
    case 'B':
    case 'C':
    case 'X':
    case 'H':
        args.push_back(std::string("inc\\") +
                       file_names[name_index(static_cast<unsigned char>(c))]);
        break;
    case 'i':
        args.emplace_back("-Iinc");
        break;
    case 'j':
        args.emplace_back("-I");
        break;
    case 'k':
        args.emplace_back("-Iinc/");
        break;
    case '*':
        args.emplace_back("*.f*");
        break;
    case '?':
        args.emplace_back("?.c");
        break;
    case 'w':
        args.emplace_back("inc/*");
        break;
    case 'W':
        args.emplace_back("*");
        break;
    case 'u':
        args.emplace_back("-?");
        break;
    case 'z':
        args.emplace_back("nope.f");
        break;
    case 'd':
        args.emplace_back("inc");
        break;
    case 'l':
        args.push_back(std::string(path_size + 40, 'l') + ".f");
        break;
    case 'M':
        args.emplace_back("-mxsrc");
        break;
    case 'e':
        args.emplace_back("-Xx.inc");
        break;
    case 'E':
        args.emplace_back("-Xm");
        break;
    case 'L':
    case 'n':
        // The longest line (up to 299) or module name (up to 69, past the 63 allowed).
        if (i + 1 < head.size()) {
            auto value = static_cast<unsigned char>(head[i + 1]);
            args.push_back(c == 'L' ? "-mxline" + std::to_string(value + 44)
                                    : "-mxname" + std::to_string(value % 70));
            return i + 2;
        }
        break;
    case 'm':
        // Small capacities only: large ones would just allocate.
        if (i + 2 < head.size()) {
            auto kind = static_cast<unsigned char>(head[i + 1]) % 5;
            auto value = static_cast<unsigned char>(head[i + 2]) % 16;
            args.push_back(options[kind] + std::to_string(value));
            return i + 3;
        }
        break;
    default:
        break;
    }
    return i + 1;
}

// Lines the writer produced must fit a makefile line; the detail lines of reports may be
// longer: "#ERROR#" lines (blanks may come first), their continuation lines (blanks, then a
// value such as "in1=[" or "bun=["), the reader's and the directory library's reports.
bool is_report_line(std::string_view line) {
    std::size_t text = line.find_first_not_of(" \t");
    if (text == std::string_view::npos) return false;
    std::string_view rest = line.substr(text);
    if (rest.substr(0, 7) == "#ERROR#" || line.substr(0, 9) == "Error at ") return true;
    if (text == 0) return false;
    std::size_t key = rest.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_");
    return key != std::string_view::npos && key > 0 && rest.substr(key, 2) == "=[";
}

std::string read_file(const std::string& path) {
    std::string text;
    int fd = open(path.c_str(), O_RDONLY);
    fuzz_require(fd >= 0, "open output");
    char buf[8192];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        text.append(buf, static_cast<std::size_t>(n));
    close(fd);
    return text;
}

int lowest_free_fd() {
    int fd = open("/dev/null", O_RDONLY);
    fuzz_require(fd >= 0, "open /dev/null");
    close(fd);
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const scratch& area = scratch_area();
    const int home = open(".", O_RDONLY | O_DIRECTORY);
    fuzz_require(home >= 0 && chdir(area.work.c_str()) == 0, "enter the scratch directory");
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t eol = input.find('\n');
    std::string_view head = input.substr(0, eol);
    std::string_view body =
        eol == std::string_view::npos ? std::string_view() : input.substr(eol + 1);

    remove_files();
    for (int k = 0; k < max_files && !body.empty(); ++k) {
        std::size_t cut = body.find(separator);
        write_part(body.substr(0, cut));
        body = cut == std::string_view::npos ? std::string_view()
                                             : body.substr(cut + separator.size());
    }

    std::vector<std::string> args{"zelkov"};
    for (std::size_t i = 0; i < head.size() && args.size() <= max_args;)
        i = add_argument(head, i, args);
    std::vector<char*> argv;
    std::size_t longest = 0;
    for (std::string& a : args) {
        argv.push_back(a.data());
        if (a.size() > longest) longest = a.size();
    }
    argv.push_back(nullptr);

    const int free_fd = lowest_free_fd(); // home is open: it is not this one
    std::FILE* out = std::fopen(area.out.c_str(), "w");
    fuzz_require(out != nullptr, "open the output file");
    set_streams(out, stderr);
    int status = mprc(static_cast<int>(longest) + 1, static_cast<int>(args.size()), argv.data());
    set_streams(nullptr, nullptr);
    std::fclose(out);

    fuzz_require(status == 0 || status == 1 || status == -1, "run result not 0, 1 or -1");
    fuzz_require(lowest_free_fd() == free_fd, "the run left a file open");
    std::string text = read_file(area.out);
    if (status == 0) fuzz_require(!text.empty() && text.back() == '\n', "makefile incomplete");
    // The longest line: the last -mxline among the leading options, else the makefile's own.
    std::size_t line_max = makefile_line_max;
    for (std::size_t k = 1; k < args.size() && args[k].rfind("-mx", 0) == 0; ++k)
        if (args[k].rfind("-mxline", 0) == 0) line_max = std::stoul(args[k].substr(7));
    std::string_view rest(text);
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!is_report_line(line))
            fuzz_require(line.size() <= line_max, "makefile line longer than allowed");
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    remove_files();
    fuzz_require(fchdir(home) == 0, "leave the scratch directory");
    close(home);
    return 0;
}
