// The path type query the scan makes before it opens a source or include file.
#include "dirlib.hpp"
#include "path_native.hpp"

void isadir(int& ierror, const int& len, const char* name, int& itype) {
    name_text given;
    name_text native;
    if (!take_query_name(ierror, itype, len, name, "isadir", given, native)) return;
    // A path that is not there is the caller's to report, in its own words.
    itype = path_itype(native.str);
    ierror = itype < 0 ? -1 : 0;
}
