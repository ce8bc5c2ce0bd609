// The platform's wildcard file search behind one small seam: the Windows file search on
// Windows, a directory listing of our own with the same matching rules elsewhere.
#pragma once

struct file_search; // one running search; its storage belongs to the platform file

enum class search_status {
    found,   // a name was delivered
    no_more, // the search has delivered every matching name (or none matched at all)
    failed,  // the directory could not be read
};

// Starts listing the names in directory dir ("" for the current directory, its final
// separator may be kept) that match pattern: '*' any string, '?' any one character, letters
// compared ignoring case. On found, s is a running search and name its first name (valid
// until the next call); on anything else no search is left running. Reports nothing.
search_status search_first(file_search*& s, const char* dir, const char* pattern,
                           const char*& name);
// The next matching name of a running search: found, no_more, or failed when the directory
// cannot be read further. Reports nothing; the search stays running.
search_status search_next(file_search* s, const char*& name);
// Ends a running search and releases it; false (silently) when the platform reports a failure.
bool search_close(file_search* s);

// True when name matches pattern by the search's rules. On Windows the system matches, and
// this is never asked there (listing_matches_search is false): it answers false.
bool search_match(const char* pattern, const char* name);

// A character as the search compares it: ASCII letters A-Z as a-z, every other byte as it is.
inline char search_fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
