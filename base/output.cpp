// The out stream's block and the two streams in use.
#include "output.hpp"

#include <cstring>

namespace {

// Makefile text gathers here and goes to the stream in one write when the block is full or
// flushed: a write per line would cost more than forming the line.
constexpr std::size_t block_size = std::size_t{1} << 16;

struct output {
    std::FILE* out = nullptr; // null: standard output, fetched when first written
    std::FILE* err = nullptr; // null: standard error
    std::size_t len = 0;
    char block[block_size];
};

output streams;

void hand_over() {
    if (streams.len == 0) return;
    // A short write leaves the stream's error indicator set; out_flush reads it.
    std::fwrite(streams.block, 1, streams.len, out_stream());
    streams.len = 0;
}

} // namespace

std::FILE* out_stream() {
    return streams.out != nullptr ? streams.out : stdout;
}

std::FILE* err_stream() {
    return streams.err != nullptr ? streams.err : stderr;
}

void set_streams(std::FILE* out, std::FILE* err) {
    hand_over();
    std::fflush(out_stream());
    streams.out = out;
    streams.err = err;
}

void out_text(const char* text, std::size_t len) {
    if (len > block_size - streams.len) {
        hand_over();
        if (len > block_size) { // longer than a whole block: it goes out as it is
            std::fwrite(text, 1, len, out_stream());
            return;
        }
    }
    std::memcpy(streams.block + streams.len, text, len);
    streams.len += len;
}

bool out_flush() {
    hand_over();
    std::FILE* fp = out_stream();
    return std::fflush(fp) == 0 && std::ferror(fp) == 0;
}
