// The internal routines of the directory scan, open to the library's tests.
#pragma once

#include <cstddef>
#include <memory>

// The working texts of one opndir call: released when it returns, on every path.
struct pattern_texts {
    std::unique_ptr<char[]> dir;     // the directory part, its final separator kept
    std::unique_ptr<char[]> pattern; // the file pattern; "*" when the path has none
    std::unique_ptr<char[]> full;    // the directory part followed by the file pattern
};

// Copies source to destination without its quote characters ('"' or '\'' open and close a
// quotation; a doubled closing quote inside one stands for itself) and ends it with a NUL.
// destination needs room for strlen(source) + 1 characters. Returns the characters written.
int strip_quotes(char* destination, const char* source);

// The length of the directory part of the first n characters of text: up to and including
// the last '/', '\' or ':', 0 when there is none.
std::size_t directory_part_length(const char* text, std::size_t n);

// Splits a blank-padded path pattern at its last '/', '\' or ':' into the directory part
// (separator kept, also copied to dirbuf with its length in dirlen) and the file pattern,
// and forms the full pattern from both.
// Returns 1, or 0 after "Error at Set_PATH" when memory is short.
int Set_PATH(const int& pathlen, const char* path, int& dirlen, char* dirbuf, const int& quote,
             pattern_texts& texts);

// True when name a comes before name b in the order rddir hands names out: letters A-Z as
// a-z, other characters by their unsigned byte, names equal so by their bytes.
bool listed_before(const char* a, const char* b);
